// Small helpers shared by the peer's endpoints.

/** Reads the whole request body into one Buffer. */
export function readBody(request) {
  return new Promise((resolve, reject) => {
    const chunks = [];
    request.on('data', (chunk) => chunks.push(chunk));
    request.on('end', () => resolve(Buffer.concat(chunks)));
    request.on('error', reject);
  });
}

/** Answers with a JSON body; `headers` are added as given. */
export function sendJson(response, status, value, headers = {}) {
  const body = Buffer.from(JSON.stringify(value));
  response.writeHead(status, {
    'Content-Type': 'application/json',
    'Content-Length': body.length,
    ...headers,
  });
  response.end(body);
}

/** The body parsed as JSON, or undefined when it is empty or not JSON. */
export function parseJson(body) {
  if (body.length === 0) return undefined;
  try {
    return JSON.parse(body.toString('utf8'));
  } catch {
    return undefined;
  }
}
