// The npm data packages a table generator reads, installed at their pinned versions into
// a folder of their own (never the user's), and loaded from there.
import {execFileSync} from 'node:child_process';
import {existsSync, readFileSync} from 'node:fs';
import {join} from 'node:path';
import {pathToFileURL} from 'node:url';

function installedVersion(dataDir, name) {
  const manifest = join(dataDir, 'node_modules', name, 'package.json');
  return existsSync(manifest) ? JSON.parse(readFileSync(manifest, 'utf8')).version : null;
}

// Installs `packages` ({name: version}) into `dataDir` unless each is there at its version.
export function installPinned(dataDir, packages) {
  if (Object.entries(packages).every(([name, version]) => installedVersion(dataDir, name) === version)) return;
  const specs = Object.entries(packages).map(([name, version]) => `${name}@${version}`);
  execFileSync('npm', ['install', '--silent', '--no-save', '--prefix', dataDir, ...specs], {stdio: 'inherit'});
}

// The module of package `name` in `dataDir`.
export async function loadPinned(dataDir, name) {
  return import(pathToFileURL(join(dataDir, 'node_modules', name, 'index.js')).href);
}
