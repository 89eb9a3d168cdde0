// The selector compiler of scripts/html5_content_models.mjs, on models written as the
// package writes them: what each compiles to, and that what it can't read stops it.
import assert from 'node:assert/strict';
import {compileCategories, compileModel, splitList} from '../../scripts/html5_content_models.mjs';

const known = new Set(['a', 'b', 'li', 'dt', 'dd', 'div', 'header', 'footer', 'input', 'img', 'title', 'svg', 'hgroup',
  'h1', 'body']);
const omitted = new Set(['body']);
const model = (contents, conditional) => compileModel({contentModel: {contents, conditional}}, known, omitted);
const plain = (m) => m && {...m, holds: [...m.holds], forbids: [...m.forbids]};

const cases = [
  ['phrasing', [{oneOrMore: ':model(phrasing)'}],
    {holds: ['@phrasing'], forbids: [], transparent: false, needs: [], follow: null}],
  ['list with script-supporting', [{zeroOrMore: ['li', ':model(script-supporting)']}],
    {holds: ['li', '@script-supporting'], forbids: [], transparent: false, needs: [], follow: null}],
  ['has parts forbid', [{oneOrMore: ':model(flow):not(header, footer, :has(header, footer))'}],
    {holds: ['@flow'], forbids: ['header', 'footer'], transparent: false, needs: [], follow: null}],
  ['transparent with forbidden attributes left out',
    [{transparent: ':not(:model(interactive), a, [tabindex], :has(:model(interactive), a, [tabindex]))'}],
    {holds: [], forbids: ['@interactive', 'a'], transparent: true, needs: [], follow: null}],
  ['required title; body is never missing', [{zeroOrMore: ':model(metadata)'}, {require: 'title'}, {require: 'body'}],
    {holds: ['@metadata', 'title', 'body'], forbids: [], transparent: false, needs: [['title']], follow: null}],
  ['required inside a choice is not needed', [{choice: [[{require: 'title'}], [{oneOrMore: ':model(flow)'}]]}],
    {holds: ['title', '@flow'], forbids: [], transparent: false, needs: [], follow: null}],
  ['dt+ dd+ groups', [{choice: [[{oneOrMore: [{oneOrMore: 'dt'}, {oneOrMore: 'dd'}]}], [{oneOrMore: 'div'}]]}],
    {holds: ['dt', 'dd', 'div'], forbids: [], transparent: false, needs: [], follow: 'dt:dd'}],
  ['conditional models add to the plain one', [{oneOrMore: ':model(flow)'}],
    {holds: ['@flow', 'dt'], forbids: [], transparent: false, needs: [], follow: null},
    [{condition: 'dl > div', contents: [{oneOrMore: 'dt'}]}]],
  ['text alone is unchecked', [{optional: '#text'}], null],
];
for (const [what, contents, expected, conditional] of cases) assert.deepEqual(plain(model(contents, conditional)), expected, what);

for (const [what, contents] of [
  ['misspelt name', [{oneOrMore: ':model(flow):not(foooter)'}]],
  ['unknown category', [{oneOrMore: ':model(palpable-ish)'}]],
  ['selector on a nested element', [{oneOrMore: 'b:not(:has(b))'}]],
  ['unknown key', [{twice: 'li'}]],
]) assert.throws(() => model(contents), Error, what);

const categories = compileCategories({
  '#flow': ['a', 'svg|svg', '#text', 'hgroup:has(h1)'], '#phrasing': ['a'], '#interactive': ['a[href]',
    "input:not([type='hidden' i])", 'img[usemap]'], '#heading': [], '#sectioning': [], '#metadata': ['a[rel=x]'],
  '#embedded': [], '#script-supporting': [],
}, known);
assert.deepEqual(Object.fromEntries(categories), {
  a: ['flow', 'phrasing', 'interactive[href]', 'metadata[rel=x]'], svg: ['flow'], hgroup: ['flow'],
  input: ['interactive[type!=hidden]'], img: ['interactive[usemap]'],
});
assert.throws(() => compileCategories({'#flow': ['a > b']}, known), Error);
assert.deepEqual(splitList('a, :has(b, c), d'), ['a', ':has(b, c)', 'd']);
console.log(`html5_content_models: ${cases.length} models and the categories compile as expected`);
