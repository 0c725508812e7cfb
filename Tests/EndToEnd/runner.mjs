// A stand-in for the runner script, for the tests that run the device's runner commands and jobs
// against the real node.
//
// The two queries are steered by environment variables:
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
// A job is steered by its document:
//
//   node runner.mjs device run --job <file>
//     reads the job document from the file and runs the steps of its "standIn" object in order, then
//     exits 0 (a job without steps just exits). Each step is an object with one of these keys:
//       report: true        prints a job.event whose "event" holds kind "report", "arguments" (the
//                           script's path and the words after it), "folder" (the working folder),
//                           "fileMode" and "folderMode" (octal text of the job file and its folder)
//                           and "document" (the job document as read)
//       print: {...}        prints the object as one line
//       toolCall: {...}     prints a tool.call with these keys, then waits for one line on standard
//                           input, which the finish carries in "toolResults"
//       finish: {...}       prints a job.finish with this "result" (and "toolResults")
//       stderr: "text"      prints the text as a line on standard error
//       exit: N             exits with status N at once
//       children: N         starts N children that sleep, keep standard output open and stay in the
//                           runner's process group; prints a job.event with kind "children", their
//                           "pids" and the stand-in's own pid as "runner"
//       wait: true          waits until the process is stopped
//       ignoreTerm: true    ignores SIGTERM from here on (its children too), so only SIGKILL ends it
//       lines: {count, bytes, intervalUs}
//                           prints `count` job.event lines of about `bytes` bytes each, each with a
//                           top-level "sentAt" (process.hrtime.bigint() as text) and "line" (its
//                           number), at least `intervalUs` microseconds apart (0: as fast as the
//                           pipe takes them; from 1000 on the stand-in sleeps in between)
//
// Any other command line exits 64 with a line on standard error.
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { readFileSync, statSync, writeFileSync } from 'node:fs';
import { dirname } from 'node:path';
import { createInterface } from 'node:readline';

const env = process.env;
const words = process.argv.slice(2);
const command = words.join(' ');

const lines = (name) => (env[name] ? JSON.parse(env[name]) : []);
const print = (line) => process.stdout.write(`${line}\n`);
const printFrame = (frame) => print(JSON.stringify(frame));

if (env.VELTO_STAND_IN_STARTED) writeFileSync(env.VELTO_STAND_IN_STARTED, `${process.pid}\n`);

function answerQuery() {
  if (env.VELTO_STAND_IN_HANG) {
    setInterval(() => {}, 60_000);
    return;
  }
  for (const line of lines('VELTO_STAND_IN_STDERR')) process.stderr.write(`${line}\n`);
  if (command === 'device generation') {
    print(`{"generation": ${env.VELTO_STAND_IN_GENERATION ?? '1'}}`);
  } else {
    for (const line of lines('VELTO_STAND_IN_PROGRESS')) print(line);
    print(env.VELTO_STAND_IN_CATALOG ?? '{"models": {}}');
    if (env.VELTO_STAND_IN_LAST_LINE !== undefined) print(env.VELTO_STAND_IN_LAST_LINE);
  }
  // Not process.exit(): the outputs are written out first.
  process.exitCode = Number(env.VELTO_STAND_IN_EXIT ?? '0');
}

const modeOf = (path) => (statSync(path).mode & 0o777).toString(8);

/** Exits once every line written so far is out: a full pipe queues writes, which an exit would lose. */
function exitWhenWritten(status) {
  process.stdout.write('', () => process.exit(status));
  return new Promise(() => {});
}

async function printLines({ count, bytes = 0, intervalUs = 0 }) {
  const pad = 'x'.repeat(Math.max(0, bytes - 100));
  let next = process.hrtime.bigint();
  for (let line = 0; line < count; line += 1) {
    if (intervalUs >= 1000) {
      await new Promise((resolve) => setTimeout(resolve, Math.floor(intervalUs / 1000)));
    } else if (intervalUs > 0) {
      // A busy wait: timers are too coarse for sub-millisecond pacing.
      while (process.hrtime.bigint() < next);
      next = process.hrtime.bigint() + BigInt(intervalUs) * 1000n;
    }
    const sentAt = process.hrtime.bigint().toString();
    const more = print(`{"v":1,"type":"job.event","sentAt":"${sentAt}","line":${line},"event":{"kind":"line","pad":"${pad}"}}`);
    if (!more) await once(process.stdout, 'drain');
  }
}

async function runJob(file) {
  const text = readFileSync(file, 'utf8');
  const document = JSON.parse(text);
  const input = createInterface({ input: process.stdin })[Symbol.asyncIterator]();
  const toolResults = [];
  for (const step of document.standIn?.steps ?? []) {
    if (step.report) {
      const event = {
        kind: 'report',
        arguments: process.argv.slice(1),
        folder: process.cwd(),
        fileMode: modeOf(file),
        folderMode: modeOf(dirname(file)),
        document,
      };
      printFrame({ v: 1, type: 'job.event', event });
    } else if (step.print) {
      printFrame(step.print);
    } else if (step.toolCall) {
      printFrame({ v: 1, type: 'tool.call', ...step.toolCall });
      const answer = await input.next();
      if (!answer.done) toolResults.push(answer.value);
    } else if (step.finish) {
      printFrame({ v: 1, type: 'job.finish', result: step.finish, toolResults });
    } else if (step.stderr !== undefined) {
      process.stderr.write(`${step.stderr}\n`);
    } else if (step.exit !== undefined) {
      await exitWhenWritten(step.exit);
    } else if (step.children) {
      const pids = [];
      for (let index = 0; index < step.children; index += 1) {
        const child = spawn('sleep', ['1000'], { stdio: ['ignore', 'inherit', 'inherit'] });
        pids.push(child.pid);
      }
      printFrame({ v: 1, type: 'job.event', event: { kind: 'children', pids, runner: process.pid } });
    } else if (step.ignoreTerm) {
      process.on('SIGTERM', () => {});
    } else if (step.wait) {
      await new Promise(() => setInterval(() => {}, 60_000));
    } else if (step.lines) {
      await printLines(step.lines);
    }
  }
  await exitWhenWritten(0);
}

if (command === 'device generation' || command === 'device models') {
  answerQuery();
} else if (words.length === 4 && words[0] === 'device' && words[1] === 'run' && words[2] === '--job') {
  await runJob(words[3]);
} else {
  process.stderr.write(`runner stand-in: unknown command: ${command}\n`);
  process.exit(64);
}
