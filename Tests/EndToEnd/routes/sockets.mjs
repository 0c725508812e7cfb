// WebSocket endpoints with scripted behaviours, for the device's channel tests:
//
//   wss://127.0.0.1:<port>/api/test/socket/<behaviour>, and ws:// on the plain port that
//   GET /control/sockets reports.
//
// Behaviours:
//   echo            accepts and sends every message back as it came (text as text, binary as binary)
//   binary          accepts, sends one binary message and the text "after binary", then echoes
//   large?bytes=N   accepts, sends one text message of N bytes, then echoes
//   refuse-nonce    401 with WWW-Authenticate naming "use_dpop_nonce"
//   refuse-proof    401 with WWW-Authenticate naming "invalid_dpop_proof"
//   refuse-both     401 with two WWW-Authenticate fields, "invalid_dpop_proof" first, then "use_dpop_nonce"
//   refuse-bare     401 without WWW-Authenticate
//   forbidden       403
//   close-<code>    accepts and closes at once with that code; 1005 sends a close frame without a
//                   status code
//   close-<code>-then-drop
//                   accepts, sends a close frame with that code (none for 1005) and destroys the
//                   connection without waiting for the reply or ending TLS
//   drop            accepts and destroys the TCP connection without a close frame
//   silent          takes the upgrade request and never answers
//
// GET /control/sockets?upgrades=N&closes=N answers {plainPort, upgrades, closes} once at least N
// upgrade requests and N closed sockets were seen, or after 10 s with what there is. Each upgrade
// is {behaviour, secure, host, dpop}; each close is {behaviour, code, reason} as the peer saw it.
import { createHash } from 'node:crypto';
import { createServer } from 'node:http';

import { WebSocketServer } from 'ws';

import { sendJson } from '../lib/http.mjs';

const refusals = {
  'refuse-nonce': { status: '401 Unauthorized', authenticate: ['DPoP error="use_dpop_nonce"'] },
  'refuse-proof': { status: '401 Unauthorized', authenticate: ['DPoP error="invalid_dpop_proof"'] },
  'refuse-both': {
    status: '401 Unauthorized',
    authenticate: ['DPoP error="invalid_dpop_proof"', 'DPoP error="use_dpop_nonce"'],
  },
  'refuse-bare': { status: '401 Unauthorized', authenticate: [] },
  forbidden: { status: '403 Forbidden', authenticate: [] },
};

function refuse(socket, { status, authenticate }) {
  const body = JSON.stringify({ error: 'refused' });
  const lines = [`HTTP/1.1 ${status}`, 'Content-Type: application/json', `Content-Length: ${body.length}`];
  for (const value of authenticate) lines.push(`WWW-Authenticate: ${value}`);
  lines.push('Connection: close');
  socket.end(`${lines.join('\r\n')}\r\n\r\n${body}`);
}

// Upgrades by hand, so that nothing waits for the closing handshake.
function closeThenDrop(request, socket, code) {
  const accept = createHash('sha1')
    .update(`${request.headers['sec-websocket-key']}258EAFA5-E914-47DA-95CA-C5AB0DC85B11`)
    .digest('base64');
  socket.write(
    `HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: ${accept}\r\n\r\n`,
  );
  const frame = code === 1005 ? [0x88, 0x00] : [0x88, 0x02, code >> 8, code & 0xff];
  socket.write(Buffer.from(frame), () => socket.destroy());
}

function echo(ws) {
  ws.on('message', (data, isBinary) => ws.send(data, { binary: isBinary }));
}

export function register(peer) {
  const sockets = new WebSocketServer({ noServer: true, maxPayload: 64 * 1024 * 1024 });
  const seen = { upgrades: [], closes: [] };

  peer.upgrade('/api/test/socket/:behaviour', (request, socket, head, { params }) => {
    const { behaviour } = params;
    seen.upgrades.push({
      behaviour,
      secure: Boolean(socket.encrypted),
      host: request.headers.host ?? null,
      dpop: request.headers.dpop ?? null,
    });
    if (behaviour === 'silent') return;
    if (refusals[behaviour]) {
      refuse(socket, refusals[behaviour]);
      return;
    }
    const dropping = /^close-(\d+)-then-drop$/.exec(behaviour);
    if (dropping) {
      socket.on('error', () => {});
      closeThenDrop(request, socket, Number(dropping[1]));
      return;
    }
    sockets.handleUpgrade(request, socket, head, (ws) => {
      ws.on('close', (code, reason) => seen.closes.push({ behaviour, code, reason: reason.toString() }));
      ws.on('error', () => {});
      const closing = /^close-(\d+)$/.exec(behaviour);
      if (closing) {
        // 1005 may not be sent as a code: it stands for a close frame without one.
        if (Number(closing[1]) === 1005) ws.close();
        else ws.close(Number(closing[1]), 'scripted');
      } else if (behaviour === 'drop') {
        ws.terminate();
      } else if (behaviour === 'binary') {
        ws.send(Buffer.from([0, 1, 2, 3]), { binary: true });
        ws.send('after binary');
        echo(ws);
      } else if (behaviour === 'large') {
        const bytes = Number(new URL(request.url, 'https://peer').searchParams.get('bytes') ?? 0);
        ws.send('a'.repeat(bytes));
        echo(ws);
      } else {
        echo(ws);
      }
    });
  });

  // The same endpoints without TLS, for ws:// addresses.
  const plain = createServer((request, response) => sendJson(response, 404, { error: 'not found' }));
  plain.on('upgrade', (request, socket, head) => peer.handleUpgrade(request, socket, head));
  const plainPort = new Promise((resolve, reject) => {
    plain.once('error', reject);
    plain.listen(0, '127.0.0.1', () => resolve(plain.address().port));
  });

  peer.control('GET', '/control/sockets', async (request, response) => {
    const query = new URL(request.url, 'http://control').searchParams;
    const upgrades = Number(query.get('upgrades') ?? 0);
    const closes = Number(query.get('closes') ?? 0);
    const deadline = Date.now() + 10_000;
    while ((seen.upgrades.length < upgrades || seen.closes.length < closes) && Date.now() < deadline) {
      await new Promise((resolve) => setTimeout(resolve, 5));
    }
    sendJson(response, 200, { plainPort: await plainPort, ...seen });
  });
}
