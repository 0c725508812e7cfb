// Signed endpoints that only echo what they received, and one that never answers.
import { sendJson } from '../lib/http.mjs';

export function register(peer) {
  const echo = peer.signed((request, response, { body, json, proof }) => {
    sendJson(response, 200, {
      method: request.method,
      path: request.url,
      contentType: request.headers['content-type'] ?? null,
      body: body.length === 0 ? null : (json ?? body.toString('utf8')),
      nonce: proof.claims.nonce,
      jkt: proof.jkt,
    });
  });
  for (const method of ['GET', 'POST', 'PUT']) peer.route(method, '/api/test/echo', echo);

  // Takes the request and holds the connection open without a reply.
  const silent = () => {
    peer.stats.silentRequests += 1;
  };
  for (const method of ['GET', 'POST', 'PUT']) peer.route(method, '/api/test/silent', silent);
}
