// The phone remote: line 1 as seven-segment digits, START/STOP/RESET (+/- in Lap counter), and
// the live state from /api/events. The token comes from the page's own address.
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
