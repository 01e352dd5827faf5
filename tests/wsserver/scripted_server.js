#!/usr/bin/env node
// A chat server that Zandrel did not write: Node.js with Debian's `ws` module. Each room number
// (modulo 100) plays one scene that a real server or network may produce; the tests join a room
// and compare what reached the overlay with what this server logged.
//
//   scripted_server.js --state DIR
//
// It writes DIR/ports ("name=port" per listener) once every listener is up, and appends every
// message it receives on a chat connection to DIR/joins.jsonl, one JSON object per line, read as a
// join request (the first message of a connection is the join; a client must send no other):
//   {"room": N, "text": "<the message as received>", "valid": true|false, "reason": "...",
//    "extensions": "<Sec-WebSocket-Extensions that the client offered>", "t": <ms since start>,
//    "connection": <the connection's number>, "seq": <the message's number on it, from 0>}
// The room is the first message's. Every ping it receives goes to DIR/pings.jsonl:
//   {"room": N, "connection": C, "t": <ms since start>}
//
// Each raw listener below keeps the number of connections it has accepted in DIR/<name>.accepted.
//
// Listeners:
//   ws         the chat server (permessage-deflate enabled on the server's side)
//   silent     accepts TCP and never says a word (a handshake or a lookup that never ends)
//   partial    answers an upgrade with half a "101" reply, then stalls
//   trickle    answers an HTTP request with headers and then one byte every 500 ms, for ever
//   lookup     answers the chat-server lookup with this server's own ws address
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const net = require('net');
const path = require('path');
const { WebSocketServer } = require('ws');

const SALT = 'wqzpxe73k52t';
const started = Date.now();

const stateArg = process.argv.indexOf('--state');
if (stateArg < 0 || !process.argv[stateArg + 1]) {
  console.error('usage: scripted_server.js --state DIR');
  process.exit(2);
}
const stateDir = process.argv[stateArg + 1];
const joinsFile = path.join(stateDir, 'joins.jsonl');
const pingsFile = path.join(stateDir, 'pings.jsonl');
fs.mkdirSync(stateDir, { recursive: true });
fs.writeFileSync(joinsFile, '');
fs.writeFileSync(pingsFile, '');

// The join request as the chat server checks it: shape, room, checksum.
function checkJoin(text) {
  let join;
  try {
    join = JSON.parse(text);
  } catch (e) {
    return { valid: false, reason: 'not JSON', room: null };
  }
  const keys = Object.keys(join || {}).sort().join(',');
  if (keys !== 'checksum,cmd,group,name,timestamp,uid') return { valid: false, reason: 'members ' + keys, room: null };
  const m = /^live(-?\d+)$/.exec(join.name);
  if (!m) return { valid: false, reason: 'name', room: null };
  const room = Number(m[1]);
  if (join.cmd !== 'JOIN') return { valid: false, reason: 'cmd', room };
  if (join.group !== `live${room}_0`) return { valid: false, reason: 'group', room };
  if (!/^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$/.test(join.uid)) return { valid: false, reason: 'uid', room };
  if (!Number.isInteger(join.timestamp)) return { valid: false, reason: 'timestamp', room };
  const sum = crypto.createHash('md5').update(`${join.uid}${join.timestamp}${SALT}`).digest('hex');
  if (sum !== join.checksum) return { valid: false, reason: 'checksum', room };
  return { valid: true, reason: '', room };
}

const line = (data, name = '观众', uid = '42') => JSON.stringify({ cmd: 'cst', data, user: { name, uid } });
const ACK = JSON.stringify({ cmd: 'ack' });

// Sends `text` as one message in fragments of `size` bytes (the last may be shorter). Fragments
// cut UTF-8 characters in half on purpose: only the whole message must be valid UTF-8.
function sendFragments(ws, text, size, { compress = false, pingBetween = false } = {}) {
  const bytes = Buffer.from(text, 'utf8');
  for (let at = 0; at < bytes.length; at += size) {
    const end = Math.min(at + size, bytes.length);
    ws.send(bytes.subarray(at, end), { binary: false, fin: end === bytes.length, compress });
    if (pingBetween && end < bytes.length) ws.ping();
  }
}

// A message of exactly `bytes` bytes: a chat line padded with ASCII.
function lineOfSize(bytes) {
  const empty = line('');
  return line('x'.repeat(bytes - Buffer.byteLength(empty)));
}

const FRAGMENTED = '分片的消息，一二三四五六七八九十';
const scenes = {
  // Fragments with RSV1 clear on a connection that negotiated compression (or not).
  1: (ws) => { ws.send(ACK); sendFragments(ws, line(FRAGMENTED), 7); ws.send(line('after')); },
  // The same fragments, compressed when the client accepted compression.
  2: (ws) => { ws.send(ACK); sendFragments(ws, line(FRAGMENTED), 7, { compress: true }); ws.send(line('after')); },
  3: (ws) => { ws.send(ACK); sendFragments(ws, line(FRAGMENTED), 1); ws.send(line('after')); },
  4: (ws) => { ws.send(ACK); sendFragments(ws, line(FRAGMENTED), 5, { pingBetween: true }); ws.send(line('after')); },
  // 1 MiB exactly (the largest message the client keeps), in 64-byte fragments.
  5: (ws) => { ws.send(ACK); sendFragments(ws, lineOfSize(1 << 20), 64); ws.send(line('after')); },
  // Raw UTF-8, as a server that does not escape sends it, then the same text escaped.
  6: (ws) => {
    ws.send(ACK);
    ws.send('{"cmd":"cst","data":"直接发送的中文😀","user":{"name":"原样","uid":"1"}}');
    ws.send('{"cmd":"cst","data":"\\u76f4\\u63a5\\u53d1\\u9001\\u7684\\u4e2d\\u6587\\ud83d\\ude00","user":{"name":"\\u539f\\u6837","uid":"1"}}');
    ws.send(line('after'));
  },
  // Closes right after "ack", every time: a reconnect storm unless the client backs off.
  7: (ws) => { ws.send(ACK); ws.close(1000); },
  // Closes before "ack": the client never joins.
  8: (ws) => { ws.close(1000); },
  // An abrupt reset (RST, no close frame) after a line.
  9: (ws) => { ws.send(ACK); ws.send(line('before reset')); setTimeout(() => ws._socket.resetAndDestroy(), 50); },
  // Joins, says one line, then goes silent without closing: it stops reading, so pings go unanswered.
  10: (ws) => { ws.send(ACK); ws.send(line('before silence')); setTimeout(() => ws._socket.pause(), 50); },
  // A close with a code and a reason after a line.
  11: (ws) => { ws.send(ACK); ws.send(line('before close')); setTimeout(() => ws.close(4000, '服务器维护'), 50); },
  // A quiet room on a strict server: one line, then nothing; a second join on the connection is
  // refused (see the message handler below).
  17: (ws) => { ws.send(ACK); ws.send(line('quiet')); },
  // Lively for four seconds (a line every 250 ms), then quiet.
  14: (ws) => {
    ws.send(ACK);
    let n = 0;
    const timer = setInterval(() => {
      if (ws.readyState !== ws.OPEN) return clearInterval(timer);
      ws.send(line(`chat ${++n}`));
      if (n === 16) { clearInterval(timer); ws.send(line('now quiet')); }
    }, 250);
  },
  // A ticker: "tick N" every 100 ms, N counting on across the room's connections, for as long as
  // the connection lasts.
  15: (ws, room) => {
    ws.send(ACK);
    const timer = setInterval(() => {
      if (ws.readyState !== ws.OPEN) return clearInterval(timer);
      ticks[room] = (ticks[room] || 0) + 1;
      ws.send(line(`tick ${ticks[room]}`));
    }, 100);
    ws.on('close', () => clearInterval(timer));
  },
};
// Up for a second and a half after the join, then closed: a connection that was healthy, when the
// client counts one up for a second as healthy.
scenes[16] = (ws) => { ws.send(ACK); ws.send(line('up')); setTimeout(() => ws.close(1000), 1500); };
const ticks = {};
const STRICT_SCENES = new Set([17]);

const listeners = {};
const wss = new WebSocketServer({ port: 0, host: '127.0.0.1', perMessageDeflate: { threshold: 0 } });
wss.on('listening', () => { listeners.ws = wss.address().port; ready(); });
let connections = 0;
wss.on('connection', (ws, request) => {
  const extensions = request.headers['sec-websocket-extensions'] || '';
  const connection = ++connections;
  let room = null;
  let seq = 0;
  ws.on('message', (data) => {
    const text = data.toString('utf8');
    const check = checkJoin(text);
    const first = seq === 0;
    if (first) room = check.room;
    fs.appendFileSync(joinsFile, JSON.stringify({ room, text, valid: check.valid, reason: check.reason, extensions,
                                                  t: Date.now() - started, connection, seq: seq++ }) + '\n');
    const sceneNumber = room === null ? null : ((room % 100) + 100) % 100;
    if (!first) {
      // A strict server takes one join per connection: another is refused.
      if (STRICT_SCENES.has(sceneNumber)) ws.send(JSON.stringify({ cmd: 'rej' }));
      return;
    }
    if (!check.valid) { ws.send(JSON.stringify({ cmd: 'rej' })); return; }
    const scene = scenes[sceneNumber];
    if (scene) scene(ws, room); else { ws.send(ACK); ws.send(line('hello')); }
  });
  ws.on('ping', () => {
    fs.appendFileSync(pingsFile, JSON.stringify({ room, connection, t: Date.now() - started }) + '\n');
  });
  ws.on('error', () => {});
});

// Replaces a file whole, so that a reader never sees it half written.
function writeAtomically(file, text) {
  fs.writeFileSync(`${file}.tmp`, text);
  fs.renameSync(`${file}.tmp`, file);
}

const sockets = new Set();
const accepted = {};
function rawListener(name, onConnection) {
  const server = net.createServer((socket) => {
    // How many connections the listener has taken, so that a test can wait until its own is in.
    accepted[name] = (accepted[name] || 0) + 1;
    writeAtomically(path.join(stateDir, `${name}.accepted`), String(accepted[name]));
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
    socket.on('error', () => {});
    onConnection(socket);
  });
  writeAtomically(path.join(stateDir, `${name}.accepted`), '0');  // none yet, whatever a last run left
  server.listen(0, '127.0.0.1', () => { listeners[name] = server.address().port; ready(); });
  return server;
}
const servers = [
  rawListener('silent', () => {}),
  rawListener('partial', (socket) => {
    socket.once('data', () => socket.write('HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n'));
  }),
  rawListener('trickle', (socket) => {
    socket.once('data', () => {
      socket.write('HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n');
      const timer = setInterval(() => socket.write('1'), 500);
      socket.on('close', () => clearInterval(timer));
    });
  }),
];
const lookup = http.createServer((request, response) => {
  response.end(`127.0.0.1:${listeners.ws}`);
});
lookup.listen(0, '127.0.0.1', () => { listeners.lookup = lookup.address().port; ready(); });
servers.push(lookup);

const expected = ['ws', 'silent', 'partial', 'trickle', 'lookup'];
function ready() {
  if (!expected.every((name) => listeners[name])) return;
  writeAtomically(path.join(stateDir, 'ports'), expected.map((name) => `${name}=${listeners[name]}\n`).join(''));
}

function stop() {
  for (const socket of sockets) socket.destroy();
  for (const client of wss.clients) client.terminate();
  wss.close();
  for (const server of servers) server.close();
  console.log('scripted-server: stopped');
  process.exit(0);
}
process.on('SIGTERM', stop);
process.on('SIGINT', stop);
