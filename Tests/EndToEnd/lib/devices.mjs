// The devices the peer has enrolled, shared by the endpoints that answer an enrolled device.
import { randomBytes } from 'node:crypto';

export class Devices {
  constructor() {
    /** deviceId -> { deviceId, jkt, code, organization, user, request, scopes } */
    this.byId = new Map();
  }

  add({ jkt, code, organization, user, request }) {
    const deviceId = `dev-${randomBytes(6).toString('hex')}`;
    const device = { deviceId, jkt, code, organization, user, request, scopes: new Map() };
    this.byId.set(deviceId, device);
    return device;
  }

  /** The device enrolled with the key of this thumbprint, if any. */
  withKey(jkt) {
    for (const device of this.byId.values()) if (device.jkt === jkt) return device;
    return undefined;
  }

  /** The device of this id, when the request's proof is signed with that device's own key. */
  provenBy(deviceId, jkt) {
    const device = this.byId.get(deviceId);
    return device !== undefined && device.jkt === jkt ? device : undefined;
  }
}

/** The peer's one registry, made on first use by whichever endpoint module needs it first. */
export function devicesOf(peer) {
  peer.devices ??= new Devices();
  return peer.devices;
}
