// The token and the live state, for every page. The token comes from the link's fragment
// (#token=..., which the browser never sends) or, in links made before, from its query; it goes
// out only in the Authorization header, never in a request line, a history entry or a log.
"use strict";
const TOKEN = (() => {
  const fragment = new URLSearchParams(location.hash.slice(1)).get("token");
  if (fragment) return fragment;
  const query = new URLSearchParams(location.search);
  const token = query.get("token") || "";
  if (token) {
    // An old link: the token moves to the fragment, so that a reload does not send it again.
    query.delete("token");
    const rest = query.toString();
    history.replaceState(null, "", location.pathname + (rest ? "?" + rest : "") +
      "#token=" + encodeURIComponent(token));
  }
  return token;
})();

function api(path, options) {
  return fetch(path, Object.assign({ cache: "no-store",
    headers: { "Authorization": "Bearer " + TOKEN } }, options || {}));
}

// The live events, read from a fetch stream (EventSource cannot send a header). Calls
// on.open() once the stream is there, on.state(object) on each state, on.offline() while Kadrant
// is not running, and on.end(status) once when the stream is refused (its status) or lost (0).
function liveEvents(on) {
  const abort = new AbortController();
  let over = false;
  const end = status => { if (!over) { over = true; on.end(status); } };
  (async () => {
    let reply;
    try {
      reply = await api("/api/events", { signal: abort.signal });
    } catch (err) { end(0); return; }
    if (!reply.ok || !reply.body) { end(reply.status); return; }
    if (on.open) on.open();
    const reader = reply.body.getReader();
    const decoder = new TextDecoder();
    let text = "";
    try {
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        text += decoder.decode(value, { stream: true });
        let at;
        while ((at = text.indexOf("\n\n")) >= 0) {
          const block = text.slice(0, at);
          text = text.slice(at + 2);
          let kind = "message", data = "";
          for (const line of block.split("\n")) {
            if (line.startsWith("event:")) kind = line.slice(6).trim();
            else if (line.startsWith("data:")) data += line.slice(5).trim();
          }
          if (kind === "offline") on.offline();
          else if (data) { try { on.state(JSON.parse(data)); } catch (err) { } }
        }
      }
    } catch (err) { }
    end(0);
  })();
  return { close() { over = true; abort.abort(); } };
}
