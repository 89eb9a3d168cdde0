// The content-model columns of analysis/html5.known (the FEATURES keys categories, holds,
// transparent, forbids, needs and follow), compiled from the npm package
// @markuplint/html-spec 4.18.0 (MIT licence; its structure only: each element's
// categories and content model, never its texts). Imported by scripts/make_html5_table.mjs.
//
// The package writes content models as selector expressions. The subset compiled here:
// ":model(CAT)", "#CAT", element names, and ":not(...)" whose ":has(...)" parts forbid
// descendants; "[attr]" parts of a ":not" are left out (an element with tabindex in an a is
// not checked). Any other expression stops the script: its element's model is then written
// by hand below. Orders and counts are not followed, but for "require" at the top of a
// model (a child the element needs) and one run "dt+ dd+" inside a repeated group (a dt
// needs a dd after it). Conditional models are added to the element's plain one, so that
// what any of them takes is taken: fewer reports, none false.

import {readFileSync} from 'node:fs';
import {join} from 'node:path';

export const contentPackage = {'@markuplint/html-spec': '4.18.0'};

// The categories the check knows, by the package's names.
const categoryNames = ['flow', 'phrasing', 'interactive', 'heading', 'sectioning', 'metadata', 'embedded',
  'script-supporting'];

// Models the compiler doesn't take (a name misspelt in the data, a selector on a nested
// element), written by hand from the standard's element index.
export const handWritten = {
  address: {holds: ['@flow'], forbids: ['address', '@heading', '@sectioning', 'header', 'footer']},
  ruby: {holds: ['@phrasing', 'rt', 'rp']},
};

// The elements whose start tag a page may leave out (the package doesn't say): never
// reported missing.
const omittedStart = new Set(['html', 'head', 'body', 'tbody', 'colgroup']);

// Splits a selector list at its top-level commas.
export function splitList(text) {
  const parts = [];
  let depth = 0, start = 0;
  for (let i = 0; i < text.length; ++i) {
    if (text[i] === '(') ++depth;
    else if (text[i] === ')') --depth;
    else if (text[i] === ',' && depth === 0) {
      parts.push(text.slice(start, i).trim());
      start = i + 1;
    }
  }
  parts.push(text.slice(start).trim());
  return parts.filter((p) => p);
}

// One simple selector as an item of holds or forbids ("@flow", "li"), null for one that is
// left out on purpose, or a thrown error.
function itemOf(selector, known) {
  let m = selector.match(/^:model\(([a-z-]+)\)$/) || selector.match(/^#([a-z-]+)$/);
  if (m) {
    if (m[1] === 'text') return null;
    if (!categoryNames.includes(m[1])) throw new Error(`unknown category in '${selector}'`);
    return `@${m[1]}`;
  }
  if (/^\[[a-z-]+\]$/.test(selector)) return null;
  if (/^[a-z][a-z0-9]*$/.test(selector)) {
    if (!known.has(selector)) throw new Error(`unknown element '${selector}'`);
    return selector;
  }
  throw new Error(`selector not understood: '${selector}'`);
}

// The items of a ":not(...)" list: what its ":has(...)" parts name is forbidden below.
function readNot(list, known, model) {
  for (const part of splitList(list)) {
    const has = part.match(/^:has\((.*)\)$/);
    if (has) {
      for (const inner of splitList(has[1])) {
        const item = itemOf(inner, known);
        if (item) model.forbids.add(item);
      }
    } else {
      itemOf(part, known);  // understood, and taken from the model by the :has part or not at all
    }
  }
}

// A selector of a model's item: what it adds to holds (and forbids).
function readSelector(selector, known, model) {
  // A ":not" after a name restricts that child alone, not its descendants: not compiled.
  const m = selector.match(/^(:model\([a-z-]+\)|#[a-z-]+|[a-z][a-z0-9]*)(?::not\((.*)\))?$/);
  if (!m || (m[2] !== undefined && !m[1].startsWith(':model('))) throw new Error(`selector not understood: '${selector}'`);
  const item = itemOf(m[1], known);
  if (item) model.holds.add(item);
  if (m[2] !== undefined) readNot(m[2], known, model);
}

function readItems(list, known, model, top) {
  let lastRepeated = null;
  for (const entry of list) {
    const keys = Object.keys(entry);
    if (keys.length !== 1) throw new Error(`an item with keys ${keys.join(', ')}`);
    const [key] = keys;
    const value = entry[key];
    if (key === 'choice') {
      for (const branch of value) readItems(branch, known, model, false);
      continue;
    }
    if (key === 'transparent') {
      model.transparent = true;
      if (value !== '*') {
        const m = value.match(/^:not\((.*)\)$/);
        if (!m) throw new Error(`transparent model not understood: '${value}'`);
        // Direct exclusions without ":has" go unchecked; the ":has" parts forbid.
        readNot(m[1], known, model);
        for (const part of splitList(m[1])) {
          if (!part.startsWith(':has(') && !part.startsWith('[')) model.forbids.add(itemOf(part, known));
        }
      }
      continue;
    }
    if (!['zeroOrMore', 'oneOrMore', 'optional', 'require'].includes(key)) throw new Error(`unknown key '${key}'`);
    if (Array.isArray(value) && value.length && typeof value[0] === 'object') {
      readItems(value, known, model, false);
      continue;
    }
    const selectors = Array.isArray(value) ? value : [value];
    for (const s of selectors) readSelector(s, known, model);
    if (key === 'require' && top) {
      const names = selectors.filter((s) => /^[a-z][a-z0-9]*$/.test(s));
      if (names.length === selectors.length) model.needs.push(names);
    }
    // "dt+ ... dd+" in a repeated group: a dt needs a dd after it.
    if (key === 'oneOrMore' && typeof value === 'string' && /^[a-z][a-z0-9]*$/.test(value)) {
      if (lastRepeated && !top && !model.follow) model.follow = `${lastRepeated}:${value}`;
      lastRepeated = value;
    }
  }
}

// The model of one element: {holds, forbids, transparent, needs, follow}, or null when it
// holds anything (contents: true) or nothing.
export function compileModel(element, known, omittedStart) {
  const model = {holds: new Set(), forbids: new Set(), transparent: false, needs: [], follow: null};
  const contentModel = element.contentModel;
  if (contentModel.contents === true || contentModel.contents === false) return null;
  readItems(contentModel.contents, known, model, true);
  for (const c of contentModel.conditional || []) {
    if (Array.isArray(c.contents)) {
      const extra = {holds: new Set(), forbids: new Set(), transparent: false, needs: [], follow: null};
      readItems(c.contents, known, extra, false);
      for (const h of extra.holds) model.holds.add(h);
    }
  }
  // A child whose start tag may be left out is never missing.
  model.needs = model.needs.filter((names) => !names.some((n) => omittedStart.has(n)));
  // Text alone: the tags in it are not checked.
  if (model.holds.size === 0 && !model.transparent) return null;
  return model;
}

// The categories of each element, as FEATURES words ("interactive[href]").
export function compileCategories(contentModels, known) {
  const byElement = new Map();
  for (const category of categoryNames) {
    for (const selector of contentModels[`#${category}`]) {
      if (selector === '#custom' || selector === '#text') continue;
      const m = selector.trim().match(/^(?:svg\|)?([a-z][a-z0-9]*)(.*)$/);
      if (!m || !known.has(m[1])) throw new Error(`category ${category}: '${selector}' not understood`);
      let word;
      const rest = m[2];
      let c;
      if (rest === '') word = category;
      else if ((c = rest.match(/^\[([a-z-]+)\]$/))) word = `${category}[${c[1]}]`;
      else if ((c = rest.match(/^\[([a-z-]+)=([a-z-]+)\]$/))) word = `${category}[${c[1]}=${c[2]}]`;
      else if ((c = rest.match(/^:not\(\[([a-z-]+)='([a-z-]+)' i\]\)$/))) word = `${category}[${c[1]}!=${c[2]}]`;
      // An hgroup is heading content when it holds a heading, which it needs anyway.
      else if (/^:has\(/.test(rest)) word = category;
      else throw new Error(`category ${category}: '${selector}' not understood`);
      if (!byElement.has(m[1])) byElement.set(m[1], []);
      const words = byElement.get(m[1]);
      // One unconditional word makes its conditions moot.
      if (words.includes(category)) continue;
      if (word === category) {
        for (let i = words.length - 1; i >= 0; --i) if (words[i].startsWith(`${category}[`)) words.splice(i, 1);
      }
      words.push(word);
    }
  }
  return byElement;
}

// The FEATURES words of each element the package describes, by name; `known` holds every
// name of html5.known. Throws on what it can't compile.
export function contentFeatures(dataDir, known) {
  const data = JSON.parse(readFileSync(join(dataDir, 'node_modules', '@markuplint', 'html-spec', 'index.json'), 'utf8'));
  const categories = compileCategories(data.def['#contentModels'], known);
  const features = new Map();
  // svg and math are known by their categories alone: their contents are another vocabulary.
  const elements = [...data.specs, ...['svg', 'math'].filter((n) => !data.specs.some((s) => s.name === n))
    .map((name) => ({name, contentModel: {contents: true}}))];
  for (const element of elements) {
    if (!known.has(element.name)) continue;
    // An element of no category and no model (an obsolete one) stands anywhere unchecked.
    const model = element.name in handWritten ? null : compileModel(element, known, omittedStart);
    const own = handWritten[element.name];
    const cats = categories.get(element.name) || [];
    if (element.contentModel.contents === true && cats.length === 0) continue;
    const words = [`categories=${cats.length ? cats.join(',') : 'none'}`];
    if (own) {
      words.push(`holds=${own.holds.join(',')}`);
      if (own.forbids) words.push(`forbids=${own.forbids.join(',')}`);
    } else if (model) {
      if (model.transparent) words.push('transparent');
      if (model.holds.size) words.push(`holds=${[...model.holds].join(',')}`);
      if (model.forbids.size) words.push(`forbids=${[...model.forbids].join(',')}`);
      for (const names of model.needs) words.push(`needs=${names.join(',')}`);
      if (model.follow) words.push(`follow=${model.follow}`);
    }
    features.set(element.name, words.join(' '));
  }
  return features;
}
