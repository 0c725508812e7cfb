// The server peer of the end-to-end tests.
//
//   node server.mjs --cert server.pem --key server.key
//
// Serves the device-facing endpoints over TLS and the test's control endpoints over plain HTTP,
// both on 127.0.0.1 with ports chosen by the system, and prints one JSON line
// {"port": <TLS port>, "controlPort": <control port>} as its first line of output. It exits when its
// standard input closes, so a test process that dies cannot leave it behind.
//
// Endpoint modules live in routes/; each exports register(peer) and is listed below.
import { readFileSync } from 'node:fs';
import { createServer as createHttpServer } from 'node:http';
import { createServer as createHttpsServer } from 'node:https';
import { parseArgs } from 'node:util';

import { sendJson } from './lib/http.mjs';
import { Peer } from './lib/peer.mjs';
import * as connect from './routes/connect.mjs';
import * as control from './routes/control.mjs';
import * as enroll from './routes/enroll.mjs';
import * as nonce from './routes/nonce.mjs';
import * as photos from './routes/photos.mjs';
import * as scopes from './routes/scopes.mjs';
import * as session from './routes/session.mjs';
import * as sockets from './routes/sockets.mjs';
import * as test from './routes/test.mjs';
import * as updates from './routes/updates.mjs';

const modules = [nonce, test, control, enroll, scopes, photos, session, sockets, connect, updates];

const { values: options } = parseArgs({
  options: {
    cert: { type: 'string' },
    key: { type: 'string' },
  },
});
if (!options.cert || !options.key) {
  process.stderr.write('usage: node server.mjs --cert <PEM file> --key <PEM file>\n');
  process.exit(2);
}

const peer = new Peer();
for (const module of modules) module.register(peer);

function serving(routes) {
  return (request, response) => {
    peer.dispatch(routes, request, response).catch((error) => {
      process.stderr.write(`peer: ${request.method} ${request.url}: ${error.stack}\n`);
      if (!response.headersSent) sendJson(response, 500, { error: error.message });
      else response.destroy();
    });
  };
}

const device = createHttpsServer(
  { cert: readFileSync(options.cert), key: readFileSync(options.key), minVersion: 'TLSv1.2' },
  serving(peer.deviceRoutes),
);
device.on('secureConnection', (socket) => peer.stats.serverNames.push(socket.servername || null));
device.on('upgrade', (request, socket, head) => peer.handleUpgrade(request, socket, head));

const controlServer = createHttpServer(serving(peer.controlRoutes));

function listen(server) {
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => resolve(server.address().port));
  });
}

const [port, controlPort] = await Promise.all([listen(device), listen(controlServer)]);
process.stdout.write(`${JSON.stringify({ port, controlPort })}\n`);

process.stdin.on('end', () => process.exit(0));
process.stdin.on('error', () => process.exit(0));
process.stdin.resume();
