#!/usr/bin/env node
// A loopback proxy between a chat client and its server that plays network outages:
//
//   outage_proxy.js --target PORT --log FILE
//
// It listens on a free loopback port, prints "port=N" once it does, and then takes one command a
// line on standard input, answering "ok MODE" once the mode holds:
//   pass     bytes flow both ways (new connections are passed to the target)
//   stall    a half-open link: nothing flows either way on any connection, old or new, and nothing
//            is closed; a connection that was stalled stays dead after the stall, as one across a
//            long outage does
//   refuse   the port refuses new connections, and open ones are closed with a FIN after what was
//            already forwarded, so that nothing half-forwarded is lost in a reset
// Every WebSocket text message that it forwards whole from the server to the client goes to FILE,
// one JSON object a line: {"connection": C, "text": "..."}. A message cut by a stall is not logged:
// the client never gets it whole either. Ends on SIGTERM or when standard input closes.
'use strict';

const fs = require('fs');
const net = require('net');
const readline = require('readline');

const arg = (name) => {
  const at = process.argv.indexOf(name);
  return at >= 0 ? process.argv[at + 1] : undefined;
};
const target = Number(arg('--target'));
const logFile = arg('--log');
if (!target || !logFile) {
  console.error('usage: outage_proxy.js --target PORT --log FILE');
  process.exit(2);
}
fs.writeFileSync(logFile, '');

let mode = 'pass';
let port = 0;
let connections = 0;
const pairs = new Set();

// Reads the server's side of one connection: the HTTP upgrade reply, then unmasked frames. Calls
// `onText` with each whole text message. Control frames may come between fragments.
function frameReader(onText) {
  let buffer = Buffer.alloc(0);
  let headersDone = false;
  let fragments = [];
  let inText = false;
  return (chunk) => {
    buffer = Buffer.concat([buffer, chunk]);
    if (!headersDone) {
      const end = buffer.indexOf('\r\n\r\n');
      if (end < 0) return;
      buffer = buffer.subarray(end + 4);
      headersDone = true;
    }
    for (;;) {
      if (buffer.length < 2) return;
      const fin = (buffer[0] & 0x80) !== 0;
      const opcode = buffer[0] & 0x0f;
      let length = buffer[1] & 0x7f;
      let at = 2;
      if (length === 126) {
        if (buffer.length < 4) return;
        length = buffer.readUInt16BE(2);
        at = 4;
      } else if (length === 127) {
        if (buffer.length < 10) return;
        length = Number(buffer.readBigUInt64BE(2));
        at = 10;
      }
      if (buffer.length < at + length) return;
      const payload = buffer.subarray(at, at + length);
      buffer = buffer.subarray(at + length);
      if (opcode === 0x1) { inText = true; fragments = [payload]; } else if (opcode === 0x0 && inText) fragments.push(payload);
      else continue;  // binary, ping, pong, close
      if (fin) {
        inText = false;
        onText(Buffer.concat(fragments).toString('utf8'));
      }
    }
  };
}

function setMode(next) {
  mode = next;
  for (const pair of pairs) {
    if (next === 'stall') pair.stalled = true;
    if (next === 'refuse') { pair.client.end(); pair.upstream.end(); }
  }
  // The listening socket closes at once; the server's close event waits for the open connections.
  if (next === 'refuse' && server.listening) { server.close(); answer(next); } else if (next !== 'refuse' && !server.listening) server.listen(port, '127.0.0.1', () => answer(next));
  else answer(next);
}
const answer = (m) => process.stdout.write(`ok ${m}\n`);

const server = net.createServer((client) => {
  const connection = ++connections;
  const upstream = net.connect(target, '127.0.0.1');
  const pair = { client, upstream, stalled: mode === 'stall' };
  pairs.add(pair);
  const log = frameReader((text) => fs.appendFileSync(logFile, JSON.stringify({ connection, text }) + '\n'));
  client.on('data', (data) => { if (!pair.stalled) upstream.write(data); });
  upstream.on('data', (data) => {
    if (pair.stalled) return;
    client.write(data);
    log(data);
  });
  const end = () => { pairs.delete(pair); client.destroy(); upstream.destroy(); };
  // A stalled link says nothing, not even that the other side has gone.
  client.on('end', () => { if (!pair.stalled) upstream.end(); else end(); });
  upstream.on('end', () => { if (!pair.stalled) client.end(); });
  client.on('close', end);
  upstream.on('close', () => { if (!pair.stalled) end(); });
  client.on('error', () => {});
  upstream.on('error', () => {});
});
server.listen(0, '127.0.0.1', () => {
  port = server.address().port;
  process.stdout.write(`port=${port}\n`);
});

readline.createInterface({ input: process.stdin }).on('line', (line) => {
  const command = line.trim();
  if (['pass', 'stall', 'refuse'].includes(command)) setMode(command);
  else process.stdout.write(`unknown ${command}\n`);
}).on('close', () => process.exit(0));
process.on('SIGTERM', () => process.exit(0));
