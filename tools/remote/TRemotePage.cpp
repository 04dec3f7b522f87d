#include "tools/remote/TRemotePage.h"

// One self-contained page: the board's line 1 drawn as seven-segment digits in SVG, the buttons,
// and a script that follows /api/events. The token comes from the page's own address.
const std::string& RemotePageHtml() {
    static const std::string Page = R"PAGE(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1, viewport-fit=cover">
<meta name="theme-color" content="#111111">
<title>Kadrant remote</title>
<style>
:root { color-scheme: dark; }
* { box-sizing: border-box; }
body { margin: 0; background: #111; color: #eee;
       font-family: system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; }
main { max-width: 520px; margin: 0 auto; padding: 12px 12px 20px; min-height: 100vh;
       display: flex; flex-direction: column; gap: 12px; }
#top { display: flex; justify-content: space-between; align-items: baseline; font-size: 17px; }
#fn { font-weight: 700; }
#run { color: #9e9e9e; }
#run.on { color: #7ee787; }
#board { background: #000; border: 3px solid #2b2b2b; border-radius: 10px; padding: 16px 6px;
         display: flex; justify-content: center; gap: 2px; }
#board svg { flex: 1 1 0; max-width: 52px; height: auto; }
.s { fill: #2b1f00; }
.s.on { fill: #ffc400; }
#line { font-size: 16px; padding: 8px 10px; border-radius: 8px; background: #1e1e1e; }
#line b { font-weight: 700; }
#line.ok b { color: #7ee787; }
#line.bad b { color: #ff7b72; }
#offline { display: none; background: #8e1b14; color: #fff; text-align: center; font-size: 22px;
           font-weight: 700; padding: 16px; border-radius: 10px; }
body.down #offline { display: block; }
body.down #board, body.down #line, body.down #top { opacity: .35; }
#buttons { display: grid; grid-template-columns: 1fr 1fr; gap: 12px; margin-top: auto; }
button { font: inherit; font-size: 34px; font-weight: 800; letter-spacing: 2px; min-height: 104px;
         border: 0; border-radius: 16px; color: #fff; touch-action: manipulation;
         -webkit-tap-highlight-color: transparent; user-select: none; }
button:active { filter: brightness(1.35); transform: scale(.98); }
button:disabled { opacity: .3; }
#b1 { background: #1f7a35; }
#b2 { background: #b3261e; }
#b3 { background: #455a64; grid-column: 1 / 3; min-height: 88px; }
body.lap #b1, body.lap #b2 { font-size: 60px; }
#msg { min-height: 1.5em; text-align: center; color: #ffb4a9; font-size: 16px; }
</style>
</head>
<body class="down">
<main>
  <div id="top"><span id="fn">&nbsp;</span><span id="run">&nbsp;</span></div>
  <div id="offline">Kadrant is not running</div>
  <div id="board" role="img" aria-label="board line"></div>
  <div id="line">Board line: <b>&ndash;</b> <span id="why"></span></div>
  <div id="buttons">
    <button id="b1" disabled>START</button>
    <button id="b2" disabled>STOP</button>
    <button id="b3" disabled>RESET</button>
  </div>
  <div id="msg" role="status"></div>
</main>
<script>
"use strict";
const token = new URLSearchParams(location.search).get("token") || "";
const auth = "?token=" + encodeURIComponent(token);
const $ = id => document.getElementById(id);

// Segments a to g of a seven-segment digit, in a 40 x 70 cell.
const H = (y) => `8,${y} 12,${y - 4} 28,${y - 4} 32,${y} 28,${y + 4} 12,${y + 4}`;
const V = (x, a, b) => `${x},${a} ${x + 4},${a + 4} ${x + 4},${b - 4} ${x},${b} ${x - 4},${b - 4} ${x - 4},${a + 4}`;
const SEGMENTS = [H(5), V(35, 7, 34), V(35, 36, 63), H(65), V(5, 36, 63), V(5, 7, 34), H(35)];
const GLYPHS = { "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg",
  "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg", "-": "g", "_": "d", " ": "",
  "A": "abcefg", "b": "cdefg", "C": "adef", "c": "deg", "d": "bcdeg", "E": "adefg", "F": "aefg",
  "H": "bcefg", "h": "cefg", "L": "def", "n": "ceg", "o": "cdeg", "P": "abefg", "r": "eg",
  "t": "defg", "U": "bcdef", "u": "cde", "y": "bcdfg" };
const digits = [];
for (let i = 0; i < 9; i++) {
  const svg = document.createElementNS("http://www.w3.org/2000/svg", "svg");
  svg.setAttribute("viewBox", "-2 0 44 70");
  const g = document.createElementNS(svg.namespaceURI, "g");
  g.setAttribute("transform", "skewX(-6) translate(4 0)");
  const parts = SEGMENTS.map(points => {
    const p = document.createElementNS(svg.namespaceURI, "polygon");
    p.setAttribute("points", points);
    p.setAttribute("class", "s");
    g.appendChild(p);
    return p;
  });
  svg.appendChild(g);
  $("board").appendChild(svg);
  digits.push(parts);
}
function showLine(text) {
  text = (text || "").padStart(9).slice(-9);
  $("board").setAttribute("aria-label", "board line " + text.trim());
  for (let i = 0; i < 9; i++) {
    const c = text[i];
    const lit = GLYPHS[c] ?? GLYPHS[c.toUpperCase()] ?? GLYPHS[c.toLowerCase()] ?? "";
    digits[i].forEach((p, s) => p.classList.toggle("on", lit.includes("abcdefg"[s])));
  }
}
showLine("");

const FUNCTIONS = { "count-up": "Count-up", "count-down": "Count-down", "lap": "Lap counter",
  "test": "Test", "none": "No function" };
const LINES = { "ok": "ok", "off": "no port", "unplugged": "unplugged", "no-such-port": "no such port",
  "in-use": "in use", "no-permission": "no permission", "not-serial": "not a serial port",
  "refused": "refused", "down": "down" };
let lap = false;

function setDown(down, text) {
  document.body.classList.toggle("down", down);
  $("offline").textContent = text || "Kadrant is not running";
  for (const b of ["b1", "b2", "b3"]) $(b).disabled = down;
}
function apply(s) {
  setDown(false);
  lap = s.function === "lap";
  document.body.classList.toggle("lap", lap);
  $("b1").textContent = lap ? "+" : "START";
  $("b2").textContent = lap ? "\u2212" : "STOP";
  $("b1").setAttribute("aria-label", lap ? "plus" : "start");
  $("b2").setAttribute("aria-label", lap ? "minus" : "stop");
  let fn = FUNCTIONS[s.function] || s.function || "";
  if (lap) fn += " \u00b7 lap " + s.lap;
  else if (s.display) fn += " \u00b7 " + s.display;
  $("fn").textContent = fn;
  $("run").textContent = s.running ? "\u25b6 running" : "\u25a0 stopped";
  $("run").classList.toggle("on", !!s.running);
  showLine(s.line1);
  const line = $("line");
  line.className = s.line === "ok" ? "ok" : (s.line === "off" ? "" : "bad");
  // Kadrant's reason is the window title's words for the same state ("unplugged", "in use by
  // another program"): shown instead of the short name, not after it.
  line.querySelector("b").textContent = s.reason || LINES[s.line] || s.line || "\u2013";
  $("why").textContent = s.port ? "(" + s.port + ")" : "";
}

let events = null;
function listen() {
  events = new EventSource("/api/events" + auth);
  events.onmessage = e => { try { apply(JSON.parse(e.data)); } catch (err) { } };
  events.addEventListener("offline", () => setDown(true, "Kadrant is not running"));
  events.onerror = () => {
    setDown(true, "No connection to the remote bridge");
    // A refused stream (token no longer valid, too many clients) is not retried by the browser
    // itself: find out which, say so, and try again later.
    if (events.readyState !== EventSource.CLOSED) return;
    fetch("/api/state" + auth, { cache: "no-store" }).then(r => {
      if (r.status === 401) setDown(true, "This page's pairing token is no longer valid: scan the new code");
    }).catch(() => { });
    setTimeout(listen, 3000);
  };
}
listen();

let msgTimer = 0;
function say(text, ms) {
  $("msg").textContent = text;
  clearTimeout(msgTimer);
  msgTimer = setTimeout(() => { $("msg").textContent = ""; }, ms || 4000);
}
// One press at a time: a second press while the first waits for Kadrant would run twice.
let pressing = false;
async function send(command) {
  if (pressing) return;
  pressing = true;
  if (navigator.vibrate) navigator.vibrate(25);
  try {
    const r = await fetch("/api/" + command + auth, { method: "POST", cache: "no-store" });
    if (r.ok) { say(""); return; }
    const body = await r.json().catch(() => ({}));
    if (r.status === 503) setDown(true, "Kadrant is not running");
    else if (r.status === 504) say("No answer from Kadrant: the press may still count. Look at the board before pressing again.", 12000);
    else if (r.status === 401) say("This page's pairing token is not valid: scan the code again");
    else say(body.error || ("refused (" + r.status + ")"));
  } catch (err) {
    say("No connection to the remote bridge");
  } finally {
    pressing = false;
  }
}
$("b1").onclick = () => send(lap ? "plus" : "start");
$("b2").onclick = () => send(lap ? "minus" : "stop");
$("b3").onclick = () => send("reset");
</script>
</body>
</html>
)PAGE";
    return Page;
}
