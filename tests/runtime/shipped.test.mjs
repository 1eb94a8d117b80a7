// The runtime as it ships: its size, and the minified copy made from it.
import { describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = fileURLToPath(new URL('../../', import.meta.url));
const gzipped = (file) => execFileSync('gzip', ['-9c', file]).length;

describe('the shipped runtime', () => {
  it('stays one file of at most 6 KB gzipped, with every option of the look', () => {
    const size = gzipped(path.join(root, 'share/lumivex.js'));
    assert.ok(size <= 6144, `share/lumivex.js is ${size} bytes with gzip -9`);
  });

  it('ships a minified copy made from the current runtime', () => {
    const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivex-min-'));
    try {
      const fresh = path.join(work, 'lumivex.min.js');
      execFileSync(path.join(root, 'scripts/minify-runtime.sh'), [fresh], { stdio: 'pipe' });
      const committed = path.join(root, 'share/lumivex.min.js');
      assert.ok(fs.existsSync(committed) && fs.readFileSync(committed).equals(fs.readFileSync(fresh)),
        'share/lumivex.min.js is not the minified share/lumivex.js: run scripts/minify-runtime.sh');
    } finally {
      fs.rmSync(work, { recursive: true, force: true });
    }
  });
});
