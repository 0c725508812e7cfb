// A stand-in for the runner script, for the tests that run the device's runner commands against the
// real node. Its answers are steered by environment variables:
//
//   node runner.mjs device generation
//     VELTO_STAND_IN_GENERATION  the JSON text of the "generation" value (default 1)
//   node runner.mjs device models
//     VELTO_STAND_IN_PROGRESS    a JSON array of lines printed before the catalog
//     VELTO_STAND_IN_CATALOG     the catalog line (default: no models)
//     VELTO_STAND_IN_LAST_LINE   a line printed after the catalog
//   both
//     VELTO_STAND_IN_STDERR      a JSON array of lines printed on standard error
//     VELTO_STAND_IN_EXIT        the exit status (default 0)
//     VELTO_STAND_IN_HANG        when set, answers nothing and never exits
//     VELTO_STAND_IN_STARTED     a file the stand-in writes its process id to as it starts
//
// Any other command line exits 64 with a line on standard error.
import { writeFileSync } from 'node:fs';

const env = process.env;
const words = process.argv.slice(2).join(' ');

const lines = (name) => (env[name] ? JSON.parse(env[name]) : []);
const print = (line) => process.stdout.write(`${line}\n`);

if (env.VELTO_STAND_IN_STARTED) writeFileSync(env.VELTO_STAND_IN_STARTED, `${process.pid}\n`);

if (words !== 'device generation' && words !== 'device models') {
  process.stderr.write(`runner stand-in: unknown command: ${words}\n`);
  process.exit(64);
}

if (env.VELTO_STAND_IN_HANG) {
  setInterval(() => {}, 60_000);
} else {
  for (const line of lines('VELTO_STAND_IN_STDERR')) process.stderr.write(`${line}\n`);
  if (words === 'device generation') {
    print(`{"generation": ${env.VELTO_STAND_IN_GENERATION ?? '1'}}`);
  } else {
    for (const line of lines('VELTO_STAND_IN_PROGRESS')) print(line);
    print(env.VELTO_STAND_IN_CATALOG ?? '{"models": {}}');
    if (env.VELTO_STAND_IN_LAST_LINE !== undefined) print(env.VELTO_STAND_IN_LAST_LINE);
  }
  // Not process.exit(): the outputs are written out first.
  process.exitCode = Number(env.VELTO_STAND_IN_EXIT ?? '0');
}
