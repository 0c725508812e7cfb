// The device session endpoint, wss://<host>/api/devices/connect, as the server runs it: the upgrade
// carries a DPoP proof (GET, the https form of the URL, a nonce the peer issued) signed by an enrolled
// key; the first hello is welcomed with a nonce and the device's profile; each "proof" frame must
// answer the outstanding nonce with a proof of htm "WS" for the same https URL, and is answered with
// "renewed" and a new nonce. Every frame is kept for the tests.
//
// Control endpoints:
//   POST /control/connect/config    {"renewWithinMs"?: N, "welcome"?: bool}  (welcome false: never welcome)
//   GET  /control/connect/sessions  {"sessions": [...]} every session so far, oldest first
//   POST /control/connect/send      {"frame": {...}, "session"?: id}  to every open session, or one
//   POST /control/connect/close     {"code": N, "reason"?: text}  closes every open session
//   POST /control/connect/restart   drops every open session without a close frame and forgets the
//                                   nonces issued, as a server process that restarts would
//   GET  /control/connect/arrivals?session=N&type=T[&jobId=J][&count=1]
//                                   {"arrivals": [...]} for each frame of that type (and job) the session
//                                   received, in order: {jobId, bytes, sentAt (the frame's own "sentAt"),
//                                   receivedAt (process.hrtime.bigint() when the message came, as text)};
//                                   with count=1 only {"count": N}, cheap enough to poll while frames come
import { WebSocketServer } from 'ws';

import { devicesOf } from '../lib/devices.mjs';
import { ProofError } from '../lib/dpop.mjs';
import { sendJson } from '../lib/http.mjs';

const helloKeys = ['appVersion', 'capacity', 'harnesses', 'runner', 'type', 'v'];

function refuse(socket, status, authenticate) {
  const body = JSON.stringify({ error: 'refused' });
  const lines = [`HTTP/1.1 ${status}`, 'Content-Type: application/json', `Content-Length: ${body.length}`];
  if (authenticate !== undefined) lines.push(`WWW-Authenticate: ${authenticate}`);
  lines.push('Connection: close');
  socket.end(`${lines.join('\r\n')}\r\n\r\n${body}`);
}

/** Why the frame is not a hello of the device's contract, or undefined when it is one. */
function helloProblem(frame) {
  const keys = Object.keys(frame).sort();
  if (JSON.stringify(keys) !== JSON.stringify(helloKeys)) return `keys ${keys}`;
  if (frame.v !== 1) return `v ${frame.v}`;
  if (typeof frame.appVersion !== 'string' || frame.appVersion.length === 0) return 'no appVersion';
  if (!Number.isInteger(frame.capacity) || frame.capacity < 0) return `capacity ${frame.capacity}`;
  if (!Number.isInteger(frame.runner) || frame.runner < 1) return `runner ${frame.runner}`;
  if (!Array.isArray(frame.harnesses)) return 'harnesses is not an array';
  return undefined;
}

function profileOf(device) {
  const { organization, user } = device;
  return {
    organization: { id: organization.id, name: organization.name, photoVersion: organization.photoVersion ?? null },
    user: { login: user.login, name: user.name ?? null, avatarUrl: user.avatarUrl ?? null },
  };
}

export function register(peer) {
  const devices = devicesOf(peer);
  const server = new WebSocketServer({ noServer: true });
  const settings = { renewWithinMs: 60_000, welcome: true };
  /** Every session, oldest first: the record the tests read, with its socket while open. */
  const sessions = [];
  /** When each message of a session came, in the order of its frames; read through arrivals only. */
  const arrivalsOf = new WeakMap();

  function open(ws, record, device, htu) {
    record.open = true;
    /** The nonce the device must answer next; none before the welcome. */
    let outstanding;
    let queue = Promise.resolve();

    function send(frame) {
      record.sent.push(frame);
      ws.send(JSON.stringify(frame));
    }

    async function renew(frame) {
      // Listed once judged, so that a test reading it sees the outcome.
      const entry = { nonce: frame.nonce, verified: false };
      try {
        if (outstanding === undefined || frame.nonce !== outstanding) {
          throw new ProofError(`the proof answers ${frame.nonce}, the outstanding nonce is ${outstanding}`);
        }
        const { claims } = await peer.acceptProof(frame.proof, 'WS', htu);
        if (claims.nonce !== frame.nonce) throw new ProofError(`the proof signs ${claims.nonce}, not ${frame.nonce}`);
      } catch (error) {
        if (!(error instanceof ProofError)) throw error;
        entry.rejection = error.message;
        record.proofs.push(entry);
        return;
      }
      entry.verified = true;
      record.proofs.push(entry);
      outstanding = peer.issueNonce();
      send({ v: 1, type: 'renewed', nonce: outstanding, renewWithinMs: settings.renewWithinMs });
    }

    async function handle(data, isBinary) {
      if (isBinary) {
        record.frames.push({ binary: true });
        return;
      }
      let frame;
      try {
        frame = JSON.parse(data.toString('utf8'));
      } catch {
        record.frames.push({ unreadable: data.toString('utf8') });
        return;
      }
      record.frames.push(frame);
      if (frame?.type === 'hello') {
        const problem = helloProblem(frame);
        if (problem !== undefined) record.helloProblems.push(problem);
        if (problem === undefined && settings.welcome && !record.welcomed) {
          record.welcomed = true;
          outstanding = peer.issueNonce();
          send({
            v: 1,
            type: 'welcome',
            deviceId: device.deviceId,
            nonce: outstanding,
            renewWithinMs: settings.renewWithinMs,
            profile: profileOf(device),
          });
        }
      } else if (frame?.type === 'proof') {
        await renew(frame);
      }
    }

    record.socket = ws;
    ws.on('message', (data, isBinary) => {
      arrivalsOf.get(record).push({ receivedAt: process.hrtime.bigint().toString(), bytes: data.length });
      queue = queue.then(() => handle(data, isBinary)).catch((error) => record.errors.push(error.message));
    });
    ws.on('error', () => {});
    ws.on('close', (code, reason) => {
      record.open = false;
      record.closed = { code, reason: reason.toString() };
      delete record.socket;
    });
  }

  async function accept(request, socket, head) {
    const record = {
      session: sessions.length + 1,
      deviceId: null,
      upgradeNonce: null,
      open: false,
      welcomed: false,
      frames: [],
      sent: [],
      proofs: [],
      helloProblems: [],
      errors: [],
      closed: null,
    };
    sessions.push(record);
    arrivalsOf.set(record, []);
    socket.on('error', () => {});
    let proof;
    try {
      proof = await peer.acceptProof(request.headers.dpop, 'GET', peer.targetURL(request));
    } catch (error) {
      if (!(error instanceof ProofError)) throw error;
      record.refused = error.message;
      refuse(socket, '401 Unauthorized', 'DPoP error="invalid_dpop_proof"');
      return;
    }
    const device = devices.withKey(proof.jkt);
    if (device === undefined) {
      record.refused = 'no device is enrolled with this key';
      refuse(socket, '401 Unauthorized');
      return;
    }
    record.deviceId = device.deviceId;
    record.upgradeNonce = proof.claims.nonce;
    const htu = `https://${request.headers.host}/api/devices/connect`;
    server.handleUpgrade(request, socket, head, (ws) => open(ws, record, device, htu));
  }

  peer.upgrade('/api/devices/connect', (request, socket, head) => {
    accept(request, socket, head).catch((error) => {
      process.stderr.write(`peer: the upgrade of ${request.url} failed: ${error.stack}\n`);
      socket.destroy();
    });
  });

  const listed = () => sessions.map(({ socket, ...record }) => record);
  const openSessions = () => sessions.filter((record) => record.socket !== undefined);

  peer.control('POST', '/control/connect/config', (request, response, { json }) => {
    if (json === null || typeof json !== 'object' || Object.keys(json).some((key) => !(key in settings))) {
      sendJson(response, 400, { error: 'the configuration takes renewWithinMs and welcome' });
      return;
    }
    Object.assign(settings, json);
    sendJson(response, 200, settings);
  });

  peer.control('GET', '/control/connect/sessions', (request, response) => {
    sendJson(response, 200, { sessions: listed() });
  });

  peer.control('GET', '/control/connect/arrivals', (request, response) => {
    const query = new URL(request.url, 'http://control').searchParams;
    const record = sessions[Number(query.get('session')) - 1];
    if (record === undefined) {
      sendJson(response, 404, { error: 'no such session' });
      return;
    }
    const type = query.get('type');
    const jobId = query.get('jobId');
    const wanted = (frame) => (type === null || frame?.type === type) && (jobId === null || frame?.jobId === jobId);
    if (query.get('count') === '1') {
      let count = 0;
      for (const frame of record.frames) if (wanted(frame)) count += 1;
      sendJson(response, 200, { count });
      return;
    }
    const times = arrivalsOf.get(record);
    const arrivals = [];
    record.frames.forEach((frame, index) => {
      if (!wanted(frame)) return;
      arrivals.push({ jobId: frame.jobId ?? null, sentAt: frame.sentAt ?? null, ...times[index] });
    });
    sendJson(response, 200, { arrivals });
  });

  peer.control('POST', '/control/connect/send', (request, response, { json }) => {
    if (json === null || typeof json?.frame !== 'object') {
      sendJson(response, 400, { error: 'frame must be a JSON object' });
      return;
    }
    const targets = openSessions().filter((record) => json.session === undefined || record.session === json.session);
    for (const record of targets) {
      record.sent.push(json.frame);
      record.socket.send(JSON.stringify(json.frame));
    }
    sendJson(response, 200, { sentTo: targets.map((record) => record.session) });
  });

  peer.control('POST', '/control/connect/close', (request, response, { json }) => {
    if (!Number.isInteger(json?.code)) {
      sendJson(response, 400, { error: 'code must be a close code' });
      return;
    }
    const targets = openSessions();
    for (const record of targets) record.socket.close(json.code, json.reason ?? '');
    sendJson(response, 200, { closed: targets.map((record) => record.session) });
  });

  peer.control('POST', '/control/connect/restart', (request, response) => {
    const targets = openSessions();
    for (const record of targets) record.socket.terminate();
    peer.issuedNonces.clear();
    sendJson(response, 200, { dropped: targets.map((record) => record.session) });
  });
}
