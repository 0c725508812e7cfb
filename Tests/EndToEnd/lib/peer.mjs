// The peer's state and its routing: endpoint modules register their routes here, and every signed
// endpoint goes through `signed`, which verifies the proof and plays scripted challenges.
import { randomBytes } from 'node:crypto';

import { verifyProof, ProofError } from './dpop.mjs';
import { parseJson, readBody, sendJson } from './http.mjs';

function compile(pattern) {
  const names = [];
  const source = pattern
    .split('/')
    .map((segment) => {
      if (segment.startsWith(':')) {
        names.push(segment.slice(1));
        return '([^/]+)';
      }
      return segment.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
    })
    .join('/');
  return { regex: new RegExp(`^${source}$`), names };
}

function match(routes, method, path) {
  let pathMatched = false;
  for (const route of routes) {
    const found = route.regex.exec(path);
    if (!found) continue;
    pathMatched = true;
    if (route.method !== method) continue;
    const params = Object.fromEntries(route.names.map((name, index) => [name, decodeURIComponent(found[index + 1])]));
    return { route, params };
  }
  return { pathMatched };
}

export class Peer {
  constructor() {
    this.deviceRoutes = [];
    this.controlRoutes = [];
    this.upgrades = [];
    this.issuedNonces = new Set();
    this.seenJtis = new Set();
    /** Answers the signed endpoints play before their own: "nonce", "bare" or "www-authenticate". */
    this.challenges = [];
    this.config = {
      /** Where the nonce endpoint puts the nonce: "header", "body" or "both". */
      nonceDelivery: 'both',
      nonceStatus: 200,
      /** Whether signed replies carry a fresh "DPoP-Nonce". */
      replyNonce: true,
    };
    this.stats = {
      nonceRequests: 0,
      signedNonceRequests: 0,
      verifiedProofs: 0,
      rejectedProofs: 0,
      challengesSent: 0,
      rejections: [],
      requests: [],
      serverNames: [],
      silentRequests: 0,
    };
  }

  /** A device-facing route on the TLS server; `:name` segments become `params.name`. */
  route(method, pattern, handler) {
    this.deviceRoutes.push({ method, ...compile(pattern), handler });
  }

  /** A route of the plain control server the tests drive. */
  control(method, pattern, handler) {
    this.controlRoutes.push({ method, ...compile(pattern), handler });
  }

  /** A WebSocket (or other) upgrade on the TLS server: handler(request, socket, head, context). */
  upgrade(pattern, handler) {
    this.upgrades.push({ ...compile(pattern), handler });
  }

  issueNonce() {
    const nonce = randomBytes(18).toString('base64url');
    this.issuedNonces.add(nonce);
    return nonce;
  }

  /** The URL a proof's htu must name: scheme, the Host the client sent, and the path. */
  targetURL(request) {
    const path = request.url.split('?')[0];
    return `https://${request.headers.host}${path}`;
  }

  /**
   * Checks one proof for `method` and `url` (the htu it must carry) and, when it holds, spends its
   * nonce and records its jti. Returns { header, claims, jkt }; throws ProofError, counted and kept
   * in stats.rejections. Also for proofs that do not come with an HTTP request (upgrades, renewals).
   */
  async acceptProof(proof, method, url) {
    let accepted;
    try {
      accepted = await verifyProof(proof, {
        method,
        url,
        nowSeconds: Math.floor(Date.now() / 1000),
        nonces: { isUsable: (nonce) => this.issuedNonces.has(nonce) },
        jtis: this.seenJtis,
      });
    } catch (error) {
      if (error instanceof ProofError) {
        this.stats.rejectedProofs += 1;
        this.stats.rejections.push(error.message);
      }
      throw error;
    }
    this.issuedNonces.delete(accepted.claims.nonce);
    this.seenJtis.add(accepted.claims.jti);
    this.stats.verifiedProofs += 1;
    return accepted;
  }

  /**
   * Wraps a handler of a signed endpoint: accepts the "DPoP" proof, plays a scripted challenge if one
   * is queued, then calls handler(request, response, context) with context.proof. A refused proof is
   * answered 401 {"code": invalidProofCode}. Replies carry a fresh nonce when configured to.
   */
  signed(handler, { invalidProofCode = 'DEVICES_INVALID_DPOP_PROOF' } = {}) {
    return async (request, response, context) => {
      const record = { method: request.method, path: request.url.split('?')[0], verified: false };
      this.stats.requests.push(record);
      let proof;
      try {
        proof = await this.acceptProof(request.headers.dpop, request.method, this.targetURL(request));
      } catch (error) {
        if (!(error instanceof ProofError)) throw error;
        record.rejection = error.message;
        sendJson(
          response,
          401,
          { code: invalidProofCode, error: error.message },
          { 'WWW-Authenticate': 'DPoP error="invalid_dpop_proof"' },
        );
        return;
      }
      record.verified = true;
      record.nonce = proof.claims.nonce;
      record.jkt = proof.jkt;

      const challenge = this.challenges.shift();
      if (challenge !== undefined) {
        this.stats.challengesSent += 1;
        record.challenged = challenge;
        const headers = challenge === 'bare' ? {} : { 'DPoP-Nonce': this.issueNonce() };
        if (challenge === 'www-authenticate') {
          headers['WWW-Authenticate'] = 'DPoP error="use_dpop_nonce"';
          sendJson(response, 401, { code: 'DEVICES_UNAUTHORIZED' }, headers);
        } else {
          sendJson(response, 401, { code: 'DEVICES_USE_DPOP_NONCE' }, headers);
        }
        return;
      }
      if (this.config.replyNonce) response.setHeader('DPoP-Nonce', this.issueNonce());
      await handler(request, response, { ...context, proof });
    };
  }

  /** Routes one request of the device-facing or the control server. */
  async dispatch(routes, request, response) {
    const path = request.url.split('?')[0];
    const { route, params, pathMatched } = match(routes, request.method, path);
    if (!route) {
      sendJson(response, pathMatched ? 405 : 404, { error: pathMatched ? 'method not allowed' : 'not found' });
      return;
    }
    const body = await readBody(request);
    const context = { params, body, json: parseJson(body), peer: this };
    await route.handler(request, response, context);
  }

  handleUpgrade(request, socket, head) {
    const path = request.url.split('?')[0];
    for (const upgrade of this.upgrades) {
      const found = upgrade.regex.exec(path);
      if (!found) continue;
      const params = Object.fromEntries(upgrade.names.map((name, index) => [name, decodeURIComponent(found[index + 1])]));
      upgrade.handler(request, socket, head, { params, peer: this });
      return;
    }
    socket.end('HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 0\r\n\r\n');
  }
}
