// Verifies a device's DPoP proof with an independent JOSE library, so that a fault shared by the
// device's encoder and its own decoder cannot hide.
import { calculateJwkThumbprint, compactVerify, decodeProtectedHeader, importJWK } from 'jose';

export class ProofError extends Error {}

const allowedSkewSeconds = 60;

function sortedKeys(value) {
  if (Array.isArray(value)) return value.map(sortedKeys);
  if (value !== null && typeof value === 'object') {
    return Object.fromEntries(
      Object.keys(value)
        .sort()
        .map((key) => [key, sortedKeys(value[key])]),
    );
  }
  return value;
}

/** The segment's JSON text must be exactly its sorted-keys, spaceless form. */
function checkCanonical(segment, what) {
  const text = Buffer.from(segment, 'base64url').toString('utf8');
  if (Buffer.from(text, 'utf8').toString('base64url') !== segment) {
    throw new ProofError(`the ${what} is not unpadded base64url`);
  }
  let value;
  try {
    value = JSON.parse(text);
  } catch {
    throw new ProofError(`the ${what} is not JSON`);
  }
  if (JSON.stringify(sortedKeys(value)) !== text) {
    throw new ProofError(`the ${what} is not encoded with sorted keys and no spaces: ${text}`);
  }
  return value;
}

function sameKeys(object, keys) {
  return JSON.stringify(Object.keys(object).sort()) === JSON.stringify([...keys].sort());
}

/**
 * Checks one proof against the request it came with. `nonces.isUsable(nonce)` says whether the
 * nonce was issued and is not spent; `jtis.has(jti)` whether the identifier was seen. Nothing is
 * spent here: the caller records the nonce and jti once the proof is accepted.
 * Returns { header, claims, jkt } or throws ProofError.
 */
export async function verifyProof(proof, { method, url, nowSeconds, nonces, jtis, requireNonce = true }) {
  if (typeof proof !== 'string' || proof.length === 0) throw new ProofError('no DPoP header');
  const segments = proof.split('.');
  if (segments.length !== 3) throw new ProofError('the proof is not a compact JWS');

  let protectedHeader;
  try {
    protectedHeader = decodeProtectedHeader(proof);
  } catch (error) {
    throw new ProofError(`the header does not decode: ${error.message}`);
  }
  if (protectedHeader.typ !== 'dpop+jwt') throw new ProofError(`typ is ${protectedHeader.typ}`);
  if (protectedHeader.alg !== 'ES256') throw new ProofError(`alg is ${protectedHeader.alg}`);
  if (!sameKeys(protectedHeader, ['alg', 'jwk', 'typ'])) {
    throw new ProofError(`unexpected header members ${Object.keys(protectedHeader)}`);
  }
  const jwk = protectedHeader.jwk;
  if (jwk === null || typeof jwk !== 'object' || !sameKeys(jwk, ['crv', 'kty', 'x', 'y'])) {
    throw new ProofError('the jwk is not a public EC key of exactly crv, kty, x and y');
  }
  if (jwk.kty !== 'EC' || jwk.crv !== 'P-256') throw new ProofError(`the jwk is ${jwk.kty} ${jwk.crv}`);

  let payload;
  try {
    const key = await importJWK(jwk, 'ES256');
    ({ payload } = await compactVerify(proof, key, { algorithms: ['ES256'] }));
  } catch (error) {
    throw new ProofError(`the signature does not verify: ${error.message}`);
  }

  checkCanonical(segments[0], 'header');
  const claims = checkCanonical(segments[1], 'claims');
  if (Buffer.from(payload).toString('utf8') !== Buffer.from(segments[1], 'base64url').toString('utf8')) {
    throw new ProofError('the verified payload differs from the claims segment');
  }
  if (Buffer.from(segments[2], 'base64url').length !== 64) throw new ProofError('the signature is not 64 bytes');

  if (claims.htm !== method) throw new ProofError(`htm is ${claims.htm}, the request is ${method}`);
  if (claims.htu !== url) throw new ProofError(`htu is ${claims.htu}, the request is ${url}`);
  if (!Number.isInteger(claims.iat)) throw new ProofError('iat is not a whole number');
  if (Math.abs(nowSeconds - claims.iat) > allowedSkewSeconds) {
    throw new ProofError(`iat ${claims.iat} is more than ${allowedSkewSeconds} s from ${nowSeconds}`);
  }
  if (typeof claims.jti !== 'string' || claims.jti.length === 0) throw new ProofError('no jti');
  if (jtis.has(claims.jti)) throw new ProofError(`jti ${claims.jti} was used before`);
  if (claims.nonce === undefined) {
    if (requireNonce) throw new ProofError('no nonce');
  } else if (typeof claims.nonce !== 'string' || !nonces.isUsable(claims.nonce)) {
    throw new ProofError(`nonce ${claims.nonce} was not issued or is spent`);
  }

  return { header: protectedHeader, claims, jkt: await calculateJwkThumbprint(jwk, 'sha256') };
}
