// The page scripts as the component calls them: each is one function
// expression, so that "(" + script + "\n)(" + values + ")" calls it with
// its values and runs nothing else; and each is compiled into the
// program's resources. Usage: node PageScriptsAreCalls.js QRC SCRIPT...
'use strict';
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const [qrc, ...scripts] = process.argv.slice(2);
const listed = new Set([...fs.readFileSync(qrc, 'utf8').matchAll(/<file>([^<]+)<\/file>/g)]
                           .map((m) => path.resolve(path.dirname(qrc), m[1])));
let failures = 0;
function fail(message) {
  console.error(message);
  failures++;
}
for (const script of scripts) {
  const source = fs.readFileSync(script, 'utf8');
  let value;
  try {
    // Nothing in the fresh context: a script that ran anything on its own
    // would fail here for want of a window.
    value = vm.runInNewContext('(' + source + '\n)', {}, {filename: script});
  } catch (e) {
    fail(`${script}: not one expression: ${e.message}`);
    continue;
  }
  if (typeof value !== 'function') fail(`${script}: not a function expression`);
  if (!listed.has(path.resolve(script))) fail(`${script}: not in ${qrc}`);
  listed.delete(path.resolve(script));
}
for (const missing of listed) fail(`${missing}: in ${qrc} but not checked`);
if (failures > 0) process.exit(1);
console.log(`${scripts.length} page scripts are calls`);
