// Update archives for the device's downloader, over the peer's TLS port:
//
//   GET /api/updates/file/<name>                 the file registered under <name>, or 404
//   GET /api/updates/hop/<status>/<hops>/<name>  <hops> redirects with <status> (relative Location,
//                                                https), then the file
//   GET /api/updates/to-http/<name>              302 to the same file at an http:// address
//   GET /api/updates/stall/<name>                the header and half of the body, then nothing
//
// Control endpoints:
//   POST /control/updates/file   {"name": text, "path": absolute path}  serves that file under name
//   GET  /control/updates/stats  {"requests": [{path, cookie, authorization, range}], "stalled": N}
import { createReadStream, statSync } from 'node:fs';

import { sendJson } from '../lib/http.mjs';

export function register(peer) {
  const files = new Map();
  const seen = { requests: [], stalled: 0 };

  function record(request) {
    seen.requests.push({
      path: request.url,
      cookie: request.headers.cookie ?? null,
      authorization: request.headers.authorization ?? null,
      range: request.headers.range ?? null,
    });
  }

  function serve(response, name) {
    const path = files.get(name);
    if (path === undefined) {
      sendJson(response, 404, { error: 'no such update' });
      return;
    }
    const size = statSync(path).size;
    response.writeHead(200, { 'Content-Type': 'application/zip', 'Content-Length': size });
    createReadStream(path).pipe(response);
  }

  peer.route('GET', '/api/updates/file/:name', (request, response, { params }) => {
    record(request);
    serve(response, params.name);
  });

  peer.route('GET', '/api/updates/hop/:status/:hops/:name', (request, response, { params }) => {
    record(request);
    const hops = Number(params.hops);
    if (hops <= 0) {
      serve(response, params.name);
      return;
    }
    response.writeHead(Number(params.status), { Location: `../${hops - 1}/${encodeURIComponent(params.name)}`, 'Content-Length': 0 });
    response.end();
  });

  peer.route('GET', '/api/updates/to-http/:name', (request, response, { params }) => {
    record(request);
    const location = `http://${request.headers.host}/api/updates/file/${encodeURIComponent(params.name)}`;
    response.writeHead(302, { Location: location, 'Content-Length': 0 });
    response.end();
  });

  peer.route('GET', '/api/updates/stall/:name', (request, response, { params }) => {
    record(request);
    const path = files.get(params.name);
    if (path === undefined) {
      sendJson(response, 404, { error: 'no such update' });
      return;
    }
    const size = statSync(path).size;
    seen.stalled += 1;
    response.writeHead(200, { 'Content-Type': 'application/zip', 'Content-Length': size });
    createReadStream(path, { start: 0, end: Math.max(0, Math.floor(size / 2) - 1) }).on('data', (chunk) =>
      response.write(chunk),
    );
  });

  peer.control('POST', '/control/updates/file', (request, response, { json }) => {
    if (typeof json?.name !== 'string' || typeof json?.path !== 'string') {
      sendJson(response, 400, { error: 'a file needs a name and a path' });
      return;
    }
    files.set(json.name, json.path);
    sendJson(response, 200, { name: json.name });
  });

  peer.control('GET', '/control/updates/stats', (request, response) => {
    sendJson(response, 200, seen);
  });
}
