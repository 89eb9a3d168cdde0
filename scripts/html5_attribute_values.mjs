// What html5.known says of attribute values, presence and obsolescence: the FEATURES
// words required=, only=, boolean=, obsolete-attributes=, values:ATTR=, tokens:ATTR= and
// any-attributes (analysis/known_tag_file.h), for make_html5_table.mjs.
//
// Taken from the npm data packages, structure only (types, word lists, flags; never their
// description texts):
//   @markuplint/html-spec 4.18.0 (MIT licence): attribute types, word lists, booleans,
//     required attributes, obsolete flags;
//   aria-query 5.3.2 (Apache-2.0 licence): the ARIA roles, abstract ones left out.
// Ours: the few required attributes the data leaves out, the autocomplete words, the
// roles of newer ARIA the data doesn't have yet, which elements take any attribute.
import {createRequire} from 'node:module';
import {join} from 'node:path';

export const attributePackages = {
  '@markuplint/html-spec': '4.18.0',
  'aria-query': '5.3.2',
};

// Attributes the standard requires that the data doesn't mark: an image's text and
// source, an image button's, a direction override's direction, a gauge's value, an image
// map's name.
const requiredExtra = {
  img: ['alt', 'src'], input: ['alt[type=image]', 'src[type=image]'], bdo: ['dir'], meter: ['value'], map: ['name'],
};
// Required only in cases a condition here can't say (which descriptors a srcset holds).
const requiredSkipped = {link: ['imagesizes', 'imagesrcset']};

// Attributes the standard calls obsolete on current elements that the data doesn't flag.
const obsoleteExtra = {
  div: ['align'], p: ['align'], legend: ['align'], h1: ['align'], h2: ['align'], h3: ['align'], h4: ['align'],
  h5: ['align'], h6: ['align'], input: ['align'], object: ['align', 'hspace', 'vspace', 'typemustmatch'],
  area: ['nohref', 'hreflang', 'type'], meta: ['scheme'], html: ['manifest'], td: ['nowrap'], th: ['nowrap'],
};

// Conditions the table would write wrongly: a base may give its target alone, and rel
// is a list of words that a condition can't look into.
const onlySkipped = {base: ['target'], link: ['as']};

// Elements that take any attribute without a namespace.
const anyAttributes = new Set(['embed']);

// The words of an autofill field's autocomplete value: on and off alone, or a section-*
// name, shipping or billing, a kind of contact, the field's name, webauthn.
const autocompleteWords = [
  'on', 'off', 'section-*', 'shipping', 'billing', 'home', 'work', 'mobile', 'fax', 'pager', 'webauthn',
  'name', 'honorific-prefix', 'given-name', 'additional-name', 'family-name', 'honorific-suffix', 'nickname',
  'username', 'new-password', 'current-password', 'one-time-code', 'organization-title', 'organization',
  'street-address', 'address-line1', 'address-line2', 'address-line3', 'address-level4', 'address-level3',
  'address-level2', 'address-level1', 'country', 'country-name', 'postal-code', 'cc-name', 'cc-given-name',
  'cc-additional-name', 'cc-family-name', 'cc-number', 'cc-exp', 'cc-exp-month', 'cc-exp-year', 'cc-csc',
  'cc-type', 'transaction-currency', 'transaction-amount', 'language', 'bday', 'bday-day', 'bday-month',
  'bday-year', 'sex', 'url', 'photo', 'tel', 'tel-country-code', 'tel-national', 'tel-area-code', 'tel-local',
  'tel-local-prefix', 'tel-local-suffix', 'tel-extension', 'email', 'impp',
];
const autocompleteTokens = new Set(['input', 'select', 'textarea']);

// Roles of newer ARIA that the role data doesn't have yet.
const newerRoles = ['image', 'comment', 'suggestion', 'sectionheader', 'sectionfooter'];

function quoteEmpty(word) {
  return word === '' ? '""' : word.toLowerCase();
}

// A condition of the data ("[href]", "[type='image' i]", ":not([type])") as the table
// writes one, or null.
function conditionOf(selector) {
  // ":not([type])": the attribute in its default state, absent or with a value none of its words.
  const absent = /^:not\(\[([a-z-]+)\]\)$/.exec(selector);
  if (absent) return `[!${absent[1]}]`;
  const plain = /^\[([a-z-]+)\]$/.exec(selector);
  if (plain) return `[${plain[1]}]`;
  const valued = /^\[([a-z-]+)='([a-z-]+)'( i)?\]$/.exec(selector);
  return valued ? `[${valued[1]}=${valued[2]}]` : null;
}

// Reads the packages in `dataDir` and gives the features of the "*" line and of each
// element, for the attributes the table gives them: `globals`, and `own(name)`.
export function makeAttributeData(dataDir, globals, own) {
  const require = createRequire(join(dataDir, 'node_modules', 'index.js'));
  const markuplint = require('@markuplint/html-spec');
  const {roles} = require('aria-query');
  const groups = markuplint.def['#globalAttrs'];
  const globalSet = new Set(globals);

  const roleWords = [];
  for (const [role, definition] of roles.entries()) if (!definition.abstract) roleWords.push(role);
  roleWords.push(...newerRoles.filter((r) => !roleWords.includes(r)));

  // The words of a rule: values:ATTR=..., tokens:ATTR=... or boolean, or null.
  function ruleOf(attribute, definition) {
    const type = definition.type;
    if (type === 'Boolean') return {boolean: attribute};
    if (type && typeof type === 'object' && !Array.isArray(type)) {
      if (Array.isArray(type.enum)) return {words: `values:${attribute}=${type.enum.map(quoteEmpty).join(',')}`};
      if (type.separator === 'space' && type.token && Array.isArray(type.token.enum))
        return {words: `tokens:${attribute}=${type.token.enum.map(quoteEmpty).join(',')}`};
    }
    return null;
  }

  function features(rules, extra) {
    const booleans = rules.filter((r) => r.boolean).map((r) => r.boolean);
    const words = [...extra];
    if (booleans.length) words.push(`boolean=${booleans.join(',')}`);
    words.push(...rules.filter((r) => r.words).map((r) => r.words));
    return words.join(' ');
  }

  const globalDefinitions = groups['#HTMLGlobalAttrs'];
  const globalRules = [];
  for (const attribute of globals) {
    if (attribute in globalDefinitions) {
      const rule = ruleOf(attribute, globalDefinitions[attribute]);
      if (rule) globalRules.push(rule);
    }
  }
  globalRules.push({words: `tokens:role=${roleWords.join(',')}`});
  const globalFeatures = features(globalRules, []);

  const elements = new Map(markuplint.specs.map((e) => [e.name, e]));
  function elementFeatures(name, obsoleteElement) {
    const element = elements.get(name);
    const extra = [];
    if (anyAttributes.has(name)) extra.push('any-attributes');
    if (!element) return extra.join(' ');
    const listed = element.globalAttrs || {};
    const rules = [];
    const obsolete = obsoleteElement ? [] : (obsoleteExtra[name] || []).filter((a) => own(name).includes(a));
    const required = [...(requiredExtra[name] || [])];
    const only = [];
    for (const attribute of own(name)) {
      if (globalSet.has(attribute) && !(attribute in (element.attributes || {}))) continue;
      let base = {};
      for (const [group, which] of Object.entries(listed)) {
        if (group === '#HTMLGlobalAttrs' || !groups[group] || !(attribute in groups[group])) continue;
        if (which === true || (Array.isArray(which) && which.includes(attribute))) base = groups[group][attribute];
      }
      const definition = {...base, ...((element.attributes || {})[attribute] || {})};
      if ((definition.deprecated || definition.obsolete) && !obsoleteElement && !obsolete.includes(attribute))
        obsolete.push(attribute);
      if (attribute === 'autocomplete' && autocompleteTokens.has(name)) {
        rules.push({words: `tokens:autocomplete=${autocompleteWords.join(',')}`});
        continue;
      }
      // Taken only on conditions the table can write: every one of them.
      const conditions = [definition.condition ?? []].flat().map(conditionOf);
      if (!obsoleteElement && conditions.length && conditions.every((c) => c) &&
          !(onlySkipped[name] || []).includes(attribute))
        only.push(...conditions.map((c) => `${attribute}${c}`));
      const rule = ruleOf(attribute, definition);
      if (rule) rules.push(rule);
      if (definition.required !== undefined && !(requiredSkipped[name] || []).includes(attribute)) {
        const conditions = definition.required === true ? [definition.condition]
          : [definition.required].flat();
        for (const condition of conditions) {
          const written = condition === undefined ? '' : conditionOf(condition);
          const use = `${attribute}${written ?? ''}`;
          if (written !== null && !required.includes(use)) required.push(use);
        }
      }
    }
    if (required.length) extra.push(`required=${required.join(',')}`);
    if (only.length) extra.push(`only=${only.join(',')}`);
    if (obsolete.length) extra.push(`obsolete-attributes=${obsolete.join(',')}`);
    return features(rules, extra);
  }
  return {globals: globalFeatures, of: elementFeatures};
}
