#!/usr/bin/env node
// Writes analysis/html5.known, the known tags of the html5 profile, from the npm data
// packages below (installed, at the pinned versions, into DIR: default build/html5-data).
// Building never runs this: the file it writes is committed.
//
//   scripts/make_html5_table.mjs [DIR]
//
// The packages give the element names, the void elements, the attributes of each element
// and the global and ARIA attributes. What they don't say is ours and kept here: which
// names the current standard calls obsolete, which end tags may be left out, which
// elements can't hold themselves (strict pairing), whose contents are text or another
// vocabulary, the descriptions, and the FEATURES column: what tree building knows of each
// element, table roles, and the attributes that hold links. The contents of svg and math are skipped, so the
// svg and MathML names are not needed. The obsolete elements follow the current ones,
// marked obsolete, so that old pages still read as they were meant.
import {writeFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {contentFeatures, contentPackage} from './html5_content_models.mjs';
import {attributePackages, makeAttributeData} from './html5_attribute_values.mjs';
import {installPinned, loadPinned} from './pinned_packages.mjs';

const packages = {
  'html-tag-names': '2.1.0',
  'html-void-elements': '3.0.0',
  'html-element-attributes': '3.5.0',
  'aria-attributes': '2.0.1',
  ...contentPackage,
  ...attributePackages,
};

// Names the packages hold for pages of earlier HTML, which the current standard lists
// as obsolete or never took in.
const obsolete = new Set([
  'acronym', 'applet', 'basefont', 'bgsound', 'big', 'blink', 'center', 'command', 'content',
  'dir', 'element', 'font', 'frame', 'frameset', 'image', 'isindex', 'keygen', 'listing',
  'marquee', 'menuitem', 'multicol', 'nextid', 'nobr', 'noembed', 'noframes', 'param',
  'plaintext', 'rb', 'rbc', 'rtc', 'shadow', 'spacer', 'strike', 'tt', 'xmp',
]);

// How each obsolete element pairs, where it isn't counted: the void ones the void package
// leaves out, the ones whose contents were meant as text, and the ruby containers whose
// end tags may be left out like rt's.
const obsoletePairing = {
  isindex: 'void', nextid: 'void', spacer: 'void',
  listing: 'raw', noembed: 'raw', noframes: 'raw', plaintext: 'raw', xmp: 'raw',
  rb: 'optional', rtc: 'optional',
};

// Elements whose end tag the standard lets a page leave out.
const optionalEnd = new Set([
  'html', 'head', 'body', 'li', 'dt', 'dd', 'p', 'rt', 'rp', 'optgroup', 'option',
  'colgroup', 'caption', 'thead', 'tbody', 'tfoot', 'tr', 'td', 'th',
]);

// Elements whose content may not hold the element itself, at any depth: a second open
// tag before the close is a fault, so they pair strictly. Every other element with an
// end tag nests and is counted.
const notNesting = new Set([
  'a', 'address', 'audio', 'button', 'datalist', 'dfn', 'footer', 'form', 'h1', 'h2', 'h3',
  'h4', 'h5', 'h6', 'header', 'hgroup', 'label', 'legend', 'main', 'meter', 'noscript',
  'picture', 'pre', 'progress', 'select', 'summary', 'video',
]);

// Attributes the standard lets any element carry in its HTML syntax, for pages that move
// between HTML and XHTML, which the attribute package leaves out.
const syntaxAttributes = ['xmlns', 'xml:lang'];

// Elements whose contents are text up to their end tag, never tags.
const rawText = new Set(['script', 'style', 'textarea', 'title', 'iframe']);

// Of those, the ones whose text has its character references read (the FEATURES key
// escapable).
const escapableText = new Set(['textarea', 'title']);

// Elements whose contents are another vocabulary, skipped up to the matching end tag.
const foreign = new Set(['svg', 'math']);

// What tree building knows of elements by name (the FEATURES keys group, closes-p,
// special, scope and in-head), for html5.known and, through it, html4.known.
const groups = {
  p: 'paragraph', li: 'list-item', dt: 'definition-item', dd: 'definition-item', option: 'option',
  optgroup: 'option-group', table: 'table', thead: 'table-section', tbody: 'table-section',
  tfoot: 'table-section', tr: 'table-row', td: 'table-cell', th: 'table-cell', caption: 'caption',
  colgroup: 'column-group', ruby: 'ruby', rb: 'ruby-text', rt: 'ruby-text', rp: 'ruby-text',
  rtc: 'ruby-text-group', h1: 'heading', h2: 'heading', h3: 'heading', h4: 'heading', h5: 'heading',
  h6: 'heading', head: 'head', body: 'body', html: 'html', col: 'column', template: 'template',
};

// Start tags of blocks: each closes an open p first.
const closesParagraph = new Set([
  'address', 'article', 'aside', 'blockquote', 'center', 'details', 'dialog', 'dir', 'div', 'dl',
  'fieldset', 'figcaption', 'figure', 'footer', 'form', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6', 'header',
  'hgroup', 'hr', 'main', 'menu', 'nav', 'ol', 'p', 'pre', 'search', 'section', 'summary', 'table',
  'ul', 'li', 'dd', 'dt', 'listing', 'xmp', 'plaintext', 'multicol', 'noframes', 'isindex',
]);

// The elements an li, dt or dd looks no further than for one to close: structure of its
// own, a list or a table. address, div and p are passed over.
const special = new Set([
  'applet', 'area', 'article', 'aside', 'base', 'basefont', 'bgsound', 'blockquote', 'body', 'br',
  'button', 'caption', 'center', 'col', 'colgroup', 'dd', 'details', 'dir', 'dl', 'dt', 'embed',
  'fieldset', 'figcaption', 'figure', 'footer', 'form', 'frame', 'frameset', 'h1', 'h2', 'h3', 'h4',
  'h5', 'h6', 'head', 'header', 'hgroup', 'hr', 'html', 'iframe', 'img', 'input', 'keygen', 'li',
  'link', 'listing', 'main', 'marquee', 'menu', 'meta', 'nav', 'noembed', 'noframes', 'noscript',
  'object', 'ol', 'param', 'plaintext', 'pre', 'script', 'search', 'section', 'select', 'source',
  'style', 'summary', 'table', 'tbody', 'td', 'template', 'textarea', 'tfoot', 'th', 'thead', 'title',
  'tr', 'track', 'ul', 'wbr', 'xmp', 'svg', 'math',
]);

// Where the search for an open p stops, and for an element that can't hold itself: a
// table, a cell, an embedded object, a button.
const scopeBoundaries = new Set([
  'applet', 'caption', 'html', 'table', 'td', 'th', 'marquee', 'object', 'template', 'button', 'svg', 'math',
]);

// What head may hold.
const inHead = new Set([
  'base', 'basefont', 'bgsound', 'link', 'meta', 'title', 'noscript', 'noframes', 'style', 'script',
  'template', 'isindex', 'object',
]);

// Names with a "-" that svg and MathML had before custom elements, so never a custom
// element's.
const reservedNames = [
  'annotation-xml', 'color-profile', 'font-face', 'font-face-src', 'font-face-uri', 'font-face-format',
  'font-face-name', 'missing-glyph',
];

// Parts of the check's table context.
const tableRoles = {table: 'table', td: 'cell', th: 'cell', tr: 'cell'};

// The attributes that hold links (a reference may count only on a condition on another
// attribute), the ones that name anchors besides id, and the one that gives the base.
const links = {
  a: 'links=href anchors=name', area: 'links=href', link: 'links=href', img: 'links=src,srcset',
  script: 'links=src', iframe: 'links=src', frame: 'links=src', embed: 'links=src',
  source: 'links=src,srcset', audio: 'links=src', video: 'links=src,poster', track: 'links=src',
  input: 'links=src[type=image]', object: 'links=data', body: 'links=background',
  table: 'links=background', td: 'links=background', th: 'links=background', tr: 'links=background',
  form: 'links=action', meta: 'links=content[http-equiv=refresh]', base: 'base=href',
};

const descriptions = {
  a: 'Anchor (link)',
  abbr: 'Abbreviation',
  address: 'Contact information',
  area: 'Image map area',
  article: 'Self-contained article',
  aside: 'Aside from the main content',
  audio: 'Sound or audio stream',
  b: 'Bold (keywords)',
  base: 'Base URL',
  bdi: 'Text isolated for direction',
  bdo: 'Text direction override',
  blockquote: 'Block quote',
  body: 'Body of the document',
  br: 'Line break',
  button: 'Button',
  canvas: 'Scripted drawing area',
  caption: 'Table caption',
  cite: 'Title of a work',
  code: 'Program code',
  col: 'Table column',
  colgroup: 'Table column group',
  data: 'Value for machines',
  datalist: 'Predefined input options',
  dd: 'Description in a list',
  del: 'Deleted text',
  details: 'Disclosure box',
  dfn: 'Defining instance of a term',
  dialog: 'Dialog box',
  div: 'Document division',
  dl: 'Description list',
  dt: 'Term in a list',
  em: 'Emphasis',
  embed: 'Embedded content',
  fieldset: 'Group of form controls',
  figcaption: 'Figure caption',
  figure: 'Figure',
  footer: 'Footer',
  form: 'Form',
  h1: 'Heading of level 1',
  h2: 'Heading of level 2',
  h3: 'Heading of level 3',
  h4: 'Heading of level 4',
  h5: 'Heading of level 5',
  h6: 'Heading of level 6',
  head: 'Document metadata',
  header: 'Introductory header',
  hgroup: 'Heading group',
  hr: 'Thematic break',
  html: 'Root of the document',
  i: 'Italic (alternate voice)',
  iframe: 'Nested browsing frame',
  img: 'Image',
  input: 'Input control',
  ins: 'Inserted text',
  kbd: 'Keyboard input',
  label: 'Form control label',
  legend: 'Fieldset caption',
  li: 'List item',
  link: 'Link to a resource',
  main: 'Main content',
  map: 'Image map',
  mark: 'Highlighted text',
  math: 'MathML formula',
  menu: 'Toolbar list of commands',
  meta: 'Metadata',
  meter: 'Gauge',
  nav: 'Navigation links',
  noscript: 'Content when scripts are off',
  object: 'External resource',
  ol: 'Ordered list',
  optgroup: 'Group of options',
  option: 'Option in a list',
  output: 'Result of a calculation',
  p: 'Paragraph',
  picture: 'Image with sources',
  pre: 'Preformatted text',
  progress: 'Progress bar',
  q: 'Inline quotation',
  rp: 'Ruby fallback parenthesis',
  rt: 'Ruby annotation text',
  ruby: 'Ruby annotation',
  s: 'No longer accurate text',
  samp: 'Sample output',
  script: 'Script',
  search: 'Search or filter controls',
  section: 'Section',
  select: 'Selection list',
  slot: 'Shadow tree slot',
  small: 'Side comment, small print',
  source: 'Media source',
  span: 'Span of text',
  strong: 'Strong importance',
  style: 'Style sheet',
  sub: 'Subscript',
  summary: 'Summary of a details box',
  sup: 'Superscript',
  svg: 'SVG drawing',
  table: 'Table',
  tbody: 'Table body',
  td: 'Table cell',
  template: 'Template content',
  textarea: 'Multiline text input',
  tfoot: 'Table footer rows',
  th: 'Table header cell',
  thead: 'Table header rows',
  time: 'Date or time',
  title: 'Title of the document',
  tr: 'Table row',
  track: 'Timed text track',
  u: 'Unarticulated annotation',
  ul: 'Unordered list',
  var: 'Variable',
  video: 'Video',
  wbr: 'Line break opportunity',
};

// The obsolete elements' descriptions say what they were for; the status field says
// they are obsolete.
const obsoleteDescriptions = {
  acronym: 'Acronym',
  applet: 'Java applet',
  basefont: 'Base font size, face and colour',
  bgsound: 'Background sound',
  big: 'Bigger text',
  blink: 'Blinking text',
  center: 'Centred block',
  command: 'Menu command',
  content: 'Shadow tree insertion point',
  dir: 'Directory list',
  element: 'Custom element definition',
  font: 'Font face, size and colour',
  frame: 'Frame of a frameset',
  frameset: 'Set of frames',
  image: 'Image, read as img',
  isindex: 'Search prompt',
  keygen: 'Key pair generator',
  listing: 'Program listing',
  marquee: 'Scrolling text',
  menuitem: 'Menu item command',
  multicol: 'Multiple columns',
  nextid: 'Next identifier for editors',
  nobr: 'Text without line breaks',
  noembed: 'Content when embedding is off',
  noframes: 'Content when frames are off',
  param: 'Object parameter',
  plaintext: 'Plain text to the end of the page',
  rb: 'Ruby base text',
  rbc: 'Ruby base container',
  rtc: 'Ruby annotation container',
  shadow: 'Older shadow tree insertion point',
  spacer: 'Blank space',
  strike: 'Struck-through text',
  tt: 'Teletype text',
  xmp: 'Example text, shown as written',
};

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..');
const dataDir = process.argv[2] || join(root, 'build', 'html5-data');

installPinned(dataDir, packages);
const load = (name) => loadPinned(dataDir, name);
const {htmlTagNames} = await load('html-tag-names');
const {htmlVoidElements} = await load('html-void-elements');
const {htmlElementAttributes} = await load('html-element-attributes');
const {ariaAttributes} = await load('aria-attributes');
const attributeData = makeAttributeData(dataDir, [...htmlElementAttributes['*'], ...syntaxAttributes], (name) => attributesOf(name));

function fail(message) {
  console.error(`make_html5_table: ${message}`);
  process.exit(1);
}

// Every name of ours must still be one the packages know, and every current element
// needs a description, so a new package version can't slip past unnoticed.
const known = new Set(htmlTagNames);
for (const set of [obsolete, optionalEnd, notNesting, rawText, foreign, closesParagraph, special, scopeBoundaries,
  inHead, new Set(Object.keys(groups)), new Set(Object.keys(tableRoles)), new Set(Object.keys(links))]) {
  for (const name of set) if (!known.has(name)) fail(`'${name}' is not in html-tag-names any more`);
}
const obsoleteElements = [...obsolete].sort();
for (const name of obsoleteElements) if (!(name in obsoleteDescriptions)) fail(`'${name}' needs a description`);
for (const name of [...Object.keys(obsoleteDescriptions), ...Object.keys(obsoletePairing)])
  if (!obsolete.has(name)) fail(`'${name}' is described as obsolete but isn't in the obsolete set`);
const elements = htmlTagNames.filter((name) => !obsolete.has(name)).sort();
for (const name of elements) if (!(name in descriptions)) fail(`'${name}' needs a description`);
for (const name of Object.keys(descriptions)) if (!elements.includes(name)) fail(`'${name}' is described but not current`);

const voids = new Set(htmlVoidElements);
function pairing(name) {
  if (voids.has(name)) return 'void';
  if (name in obsoletePairing) return obsoletePairing[name];
  if (obsolete.has(name)) return 'counted';
  if (optionalEnd.has(name)) return 'optional';
  if (rawText.has(name)) return 'raw';
  if (foreign.has(name)) return 'foreign';
  return notNesting.has(name) ? 'strict' : 'counted';
}

const contents = contentFeatures(dataDir, new Set(htmlTagNames));
function featuresOf(name) {
  const features = [];
  if (name in groups) features.push(`group=${groups[name]}`);
  if (closesParagraph.has(name)) features.push('closes-p');
  if (special.has(name)) features.push('special');
  if (scopeBoundaries.has(name)) features.push('scope');
  if (inHead.has(name)) features.push('in-head');
  if (escapableText.has(name)) features.push('escapable');
  if (name in tableRoles) features.push(`table=${tableRoles[name]}`);
  if (name in links) features.push(links[name]);
  features.push(...referencesOf(name));
  if (contents.has(name)) features.push(contents.get(name));
  features.push(attributeData.of(name, obsolete.has(name)));
  return features.filter((f) => f).join(' ');
}

// The attributes whose values name something else in the page or are URLs, for the check of
// ids, references and URLs: idrefs= holds one id, idref-lists= ids split by spaces,
// maprefs= "#" and the name of a map, map-names= the name a map is known by, urls= one URL
// (white space around it allowed), url-lists= URLs split by spaces. srcset is left out.
// Of the ARIA references only the label's and the description's: the element another one
// names (aria-controls, aria-owns ...) may be one a script adds later, which ARIA allows.
const formOwner = 'idrefs=form';
const references = {
  '*': 'idref-lists=aria-labelledby,aria-describedby urls=itemid',
  a: 'urls=href url-lists=ping', area: 'urls=href url-lists=ping', link: 'urls=href', base: 'urls=href',
  img: 'urls=src,longdesc maprefs=usemap', iframe: 'urls=src,longdesc', embed: 'urls=src',
  object: `urls=data maprefs=usemap ${formOwner}`, audio: 'urls=src', video: 'urls=src,poster', source: 'urls=src',
  track: 'urls=src', script: 'urls=src', input: `urls=src,formaction maprefs=usemap idrefs=list,form`,
  button: `urls=formaction ${formOwner}`, form: 'urls=action', blockquote: 'urls=cite', q: 'urls=cite',
  del: 'urls=cite', ins: 'urls=cite', html: 'urls=manifest', body: 'urls=background',
  td: 'idref-lists=headers', th: 'idref-lists=headers',
  label: 'idrefs=for', output: `idref-lists=for ${formOwner}`, fieldset: formOwner, select: formOwner,
  textarea: formOwner, map: 'map-names=name', frame: 'urls=src,longdesc',
};

// The reference features of `name`; every attribute named must be one the element takes.
function referencesOf(name) {
  const words = references[name];
  if (!words) return [];
  const takes = new Set(name === '*' ? [...htmlElementAttributes['*'], ...ariaAttributes] : attributesOf(name));
  for (const word of words.split(' ')) {
    for (const attribute of word.split('=')[1].split(',')) {
      if (!takes.has(attribute)) fail(`'${name}' doesn't take '${attribute}'`);
    }
  }
  return words.split(' ');
}

// A line of fields; an empty one leaves its bar alone ("a | | obsolete").
function line(fields) {
  return fields[0] + fields.slice(1).map((field) => (field ? ` | ${field}` : ' |')).join('');
}

function attributesOf(name) {
  // The root of another vocabulary takes that vocabulary's attributes.
  if (foreign.has(name)) return ['*'];
  return htmlElementAttributes[name] || [];
}

const versions = Object.entries(packages).map(([name, version]) => `${name} ${version}`).join(', ');
const lines = [
  '# The known tags of the html5 profile, in the built-in form of the known-tag format',
  '# (analysis/known_tag_file.h), that of `tagvetter --known FILE` and a FEATURES field:',
  '#   NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS | FEATURES',
  '# Written by scripts/make_html5_table.mjs from the npm packages',
  `# ${versions}.`,
  '# The descriptions, pairing kinds and features are ours. Edit the script, not this file.',
  '',
  '# Attributes every element takes: the global ones, xmlns and xml:lang, event handlers,',
  '# data-* and ARIA; and custom elements, but for the names svg and MathML keep.',
  `* | | | ${[...htmlElementAttributes['*'], ...syntaxAttributes, 'on*', 'data-*', ...ariaAttributes].join(' ')} | | ` +
    `custom-elements reserved=${reservedNames.join(',')} ${[...referencesOf('*'), attributeData.globals].filter((f) => f).join(' ')}`,
  '',
  '!- | void | Comment',
  '!DOCTYPE | void | HTML document | html public system',
];
for (const name of elements) {
  const fields = [name, pairing(name), descriptions[name], attributesOf(name).join(' '), '', featuresOf(name)];
  while (fields.length > 3 && !fields[fields.length - 1]) fields.pop();
  lines.push(line(fields));
}
lines.push('', '# Elements the current standard calls obsolete or never took in, for older pages.');
for (const name of obsoleteElements) {
  const fields = [name, pairing(name), obsoleteDescriptions[name], attributesOf(name).join(' '), 'obsolete'];
  const features = featuresOf(name);
  if (features) fields.push(features);
  lines.push(line(fields));
}
writeFileSync(join(root, 'analysis', 'html5.known'), lines.join('\n') + '\n');
console.log(`analysis/html5.known: ${elements.length} elements and ${obsoleteElements.length} obsolete ones from ${versions}`);
