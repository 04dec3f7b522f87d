// The phone remote: line 1 as seven-segment digits, START/STOP/RESET (+/- in Lap counter), and
// the live state from /api/events. The buttons come alive from /api/state at once, and from it
// again while the live stream is refused or lost: the page never waits on the stream.
"use strict";
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

// The state asked for once, as the page opens and while there is no live stream.
function askState() {
  return api("/api/state").then(async r => {
    if (r.ok) { apply(await r.json()); return; }
    if (r.status === 401) setDown(true, "This page's pairing token is no longer valid: scan the new code");
    else if (r.status === 503) setDown(true, "Kadrant is not running");
  }).catch(() => setDown(true, "No connection to the remote bridge"));
}
const POLL_MS = 2000;
let pollTimer = 0;
function poll() {
  if (pollTimer) return;
  pollTimer = setInterval(askState, POLL_MS);
}
function listen() {
  liveEvents({
    open() { clearInterval(pollTimer); pollTimer = 0; },
    state: apply,
    offline() { setDown(true, "Kadrant is not running"); },
    end() {
      // Refused (too many clients, a token no longer valid) or lost: the state comes by asking
      // meanwhile, and the stream is tried again later.
      askState();
      poll();
      setTimeout(listen, 3000);
    },
  });
}
askState();
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
    const r = await api("/api/" + command, { method: "POST" });
    if (r.ok) { say(""); return; }
    const body = await r.json().catch(() => ({}));
    if (r.status === 503) setDown(true, "Kadrant is not running");
    else if (r.status === 504) say("No answer from Kadrant: the press may have run. Look at the board before pressing again.", 12000);
    else if (r.status === 401) say("This page's pairing token is not valid: scan the code again");
    else say(body.error || ("refused (" + r.status + ")"));
  } catch (err) {
    // The request may have reached the bridge before the answer was lost.
    say("No answer from the remote bridge: the press may have run. Look at the board before pressing again.", 12000);
  } finally {
    pressing = false;
  }
}
$("b1").onclick = () => send(lap ? "plus" : "start");
$("b2").onclick = () => send(lap ? "minus" : "stop");
$("b3").onclick = () => send("reset");
