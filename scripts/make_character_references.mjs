#!/usr/bin/env node
// Writes analysis/character_references.inc, the names of the named character references
// the html4 and html5 checks know, from the npm data packages below (installed, at the
// pinned versions, into DIR: default build/character-data). Building never runs this: the
// file it writes is committed.
//
//   scripts/make_character_references.mjs [DIR]
//
// Packages and licences (all MIT):
//   character-entities 2.0.2         the current names, each written with its ";"
//   character-entities-legacy 3.0.0  the names a page may still write without ";"
//   character-entities-html4 2.1.0   the names of HTML 4.01
// Only the names are taken, never what they stand for.
import {writeFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {installPinned, loadPinned} from './pinned_packages.mjs';

const packages = {
  'character-entities': '2.0.2',
  'character-entities-legacy': '3.0.0',
  'character-entities-html4': '2.1.0',
};

// XHTML 1.0, which the html4 profile reads too, adds this one to HTML 4.01's.
const xhtmlNames = ['apos'];

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..');
const dataDir = process.argv[2] || join(root, 'build', 'character-data');

installPinned(dataDir, packages);
const load = (name) => loadPinned(dataDir, name);
const {characterEntities} = await load('character-entities');
const {characterEntitiesLegacy} = await load('character-entities-legacy');
const {characterEntitiesHtml4} = await load('character-entities-html4');

function fail(message) {
  console.error(`make_character_references: ${message}`);
  process.exit(1);
}

const current = Object.keys(characterEntities);
const currentSet = new Set(current);
const html4 = new Set([...Object.keys(characterEntitiesHtml4), ...xhtmlNames]);
const legacy = new Set(characterEntitiesLegacy);
// The check looks names up in one table: every other name must be a current one, and a
// name is letters and digits only (the check reads no other characters into one).
for (const name of [...html4, ...legacy]) if (!currentSet.has(name)) fail(`'${name}' is not a current name`);
for (const name of current) if (!/^[A-Za-z][A-Za-z0-9]*$/.test(name)) fail(`'${name}' is not letters and digits`);
if (current.length < 2000) fail(`only ${current.length} current names`);
const longest = Math.max(...current.map((n) => n.length));

// Sorted by bytes, as the check's binary search compares them.
const sorted = [...current].sort((a, b) => (a < b ? -1 : a > b ? 1 : 0));
const versions = Object.entries(packages).map(([name, version]) => `${name} ${version}`).join(', ');
const lines = [
  '// The names of the named character references, sorted by their bytes, each with its',
  '// flags: 1 a current name, 2 one a page may write without ";", 4 a name of HTML 4.01 (or',
  '// XHTML 1.0). Written by scripts/make_character_references.mjs from the npm packages',
  `// ${versions} (MIT licence). Edit the script, not this file.`,
  `// ${sorted.length} names, the longest of ${longest} characters.`,
];
for (const name of sorted) {
  const flags = 1 | (legacy.has(name) ? 2 : 0) | (html4.has(name) ? 4 : 0);
  lines.push(`{"${name}", ${flags}},`);
}
writeFileSync(join(root, 'analysis', 'character_references.inc'), lines.join('\n') + '\n');
console.log(`${sorted.length} names (${legacy.size} legacy, ${html4.size} html4), longest ${longest}`);
