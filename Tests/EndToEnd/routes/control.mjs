// The control endpoints the C++ tests use to script the peer and read what it saw.
import { sendJson } from '../lib/http.mjs';

const challengeKinds = new Set(['nonce', 'bare', 'www-authenticate']);

export function register(peer) {
  peer.control('GET', '/control/stats', (request, response) => {
    sendJson(response, 200, { ...peer.stats, pendingChallenges: peer.challenges.length });
  });

  // {"challenges": ["nonce" | "bare" | "www-authenticate", ...]}: the next signed requests get these
  // 401 answers in order ("bare" carries no nonce).
  peer.control('POST', '/control/challenges', (request, response, { json }) => {
    const challenges = json?.challenges;
    if (!Array.isArray(challenges) || !challenges.every((kind) => challengeKinds.has(kind))) {
      sendJson(response, 400, { error: 'challenges must list nonce, bare or www-authenticate' });
      return;
    }
    peer.challenges.push(...challenges);
    sendJson(response, 200, { pendingChallenges: peer.challenges.length });
  });

  // Merges the given keys into the peer's configuration (see Peer.config).
  peer.control('POST', '/control/config', (request, response, { json }) => {
    if (json === null || typeof json !== 'object' || Array.isArray(json)) {
      sendJson(response, 400, { error: 'the configuration must be a JSON object' });
      return;
    }
    for (const key of Object.keys(json)) {
      if (!(key in peer.config)) {
        sendJson(response, 400, { error: `unknown configuration key ${key}` });
        return;
      }
    }
    Object.assign(peer.config, json);
    sendJson(response, 200, peer.config);
  });
}
