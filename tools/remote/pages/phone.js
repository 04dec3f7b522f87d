// The phone remote: line 1 as seven-segment digits, START/STOP/RESET (+/- in Lap counter), and
// the live state from /api/events. The token comes from the page's own address.
"use strict";
const token = new URLSearchParams(location.search).get("token") || "";
const auth = "?token=" + encodeURIComponent(token);
const $ = id => document.getElementById(id);

const digits = [];
for (let i = 0; i < CELLS; i++) {
  const svg = document.createElementNS(SVG_NS, "svg");
  svg.setAttribute("viewBox", "-2 0 44 70");
  digits.push(addDigit(svg, 0));
  $("board").appendChild(svg);
}
function showLine(text) {
  text = boardText(text);
  $("board").setAttribute("aria-label", "board line " + text.trim());
  for (let i = 0; i < CELLS; i++) showDigit(digits[i], text[i]);
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
