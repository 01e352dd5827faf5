#pragma once

namespace zandrel::demo {

// The audience page: anyone with a browser types a line into a room, and it reaches every client
// joined to that room.
inline constexpr char kAudiencePage[] = R"html(<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>Zandrel 演示直播间 · 观众</title>
<style>
  body { font-family: sans-serif; background: #14161c; color: #e8e8e8; max-width: 36em; margin: 3em auto; }
  label { display: block; margin-top: 1em; }
  input { font-size: 1.1em; width: 100%; box-sizing: border-box; padding: .3em; }
  button { margin-top: 1em; font-size: 1.1em; padding: .3em 1.5em; }
  #status { margin-top: 1em; color: #0aa0ff; min-height: 1.5em; }
</style>
</head>
<body>
<h1>演示直播间</h1>
<p>在这里发一条弹幕，连接到同一房间的 Zandrel 会立刻显示它。</p>
<form id="say">
  <label>房间号 <input id="room" inputmode="numeric" pattern="-?[0-9]+" value="123" required></label>
  <label>昵称 <input id="name" value="网页观众" maxlength="32"></label>
  <label>弹幕 <input id="text" maxlength="500" required autofocus></label>
  <button type="submit">发送</button>
</form>
<div id="status"></div>
<script>
document.getElementById('say').addEventListener('submit', async (event) => {
  event.preventDefault();
  const query = new URLSearchParams({
    room: document.getElementById('room').value,
    name: document.getElementById('name').value,
    text: document.getElementById('text').value,
  });
  const status = document.getElementById('status');
  try {
    const reply = await fetch('/say?' + query.toString());
    status.textContent = reply.ok ? '已发送给 ' + (await reply.text()) + ' 个客户端' : '发送失败：' + reply.status;
    if (reply.ok) document.getElementById('text').value = '';
  } catch (e) {
    status.textContent = '发送失败：' + e;
  }
});
</script>
</body>
</html>
)html";

}  // namespace zandrel::demo
