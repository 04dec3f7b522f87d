// The view page: line 1 live, nothing to press. A tap or a click asks for full screen; the screen
// is kept awake where the browser allows it (Wake Lock: secure pages only, so on 127.0.0.1 but not
// over plain HTTP on the network).
"use strict";
const line = document.getElementById("line");
const note = document.getElementById("note");
const { digits } = addLine(line);
const LINES = { "unplugged": "unplugged", "no-such-port": "no such port", "in-use": "in use",
  "no-permission": "no permission", "not-serial": "not a serial port", "refused": "refused",
  "down": "down" };
const GONE = { "offline": "Kadrant is not running", "bridge": "No connection to the remote bridge",
  "token": "This link's token is no longer valid: ask for the new view link" };

function showLine(text) {
  text = boardText(text);
  line.setAttribute("aria-label", "board line " + text.trim());
  for (let i = 0; i < CELLS; i++) showDigit(digits[i], text[i]);
}

followState(state => {
  showLine(state.line1);
  // The board line's state, only when it is not working ("off": no board chosen, nothing wrong).
  const working = state.line === "ok" || state.line === "off" || !state.line;
  note.textContent = working ? "" :
    "Board line: " + (state.reason || LINES[state.line] || state.line) + (state.port ? " (" + state.port + ")" : "");
}, why => {
  showLine("");
  note.textContent = GONE[why] || "";
});

async function keepAwake() {
  if (!("wakeLock" in navigator) || document.visibilityState !== "visible") return;
  try { await navigator.wakeLock.request("screen"); } catch (err) { }
}
document.addEventListener("visibilitychange", keepAwake);
keepAwake();

document.addEventListener("click", () => {
  const root = document.documentElement;
  if (!document.fullscreenElement && root.requestFullscreen) root.requestFullscreen().catch(() => { });
});
