// Kadrant's state for the pages that only show it (overlay, view): followState(show, gone) calls
// show(state) on each change and gone(why) when there is nothing current to show:
//   "offline"  Kadrant is not running, or the bridge cannot reach it;
//   "bridge"   no live stream from the bridge for GRACE_MS (bridge stopped, network gone);
//   "token"    the bridge refuses this link's token.
// A dropped stream is opened again after RETRY_MS, by the page itself: the browser gives up for
// good on an answer that is not a stream (a refused token, too many clients, a bridge starting).
// What was shown stays for GRACE_MS without a stream, never longer: no stale number on screen.
"use strict";
const GRACE_MS = 2000;
const RETRY_MS = 1000;
const OPEN_MS = 3000;

function followState(show, gone) {
  let staleTimer = 0;
  let refused = false;
  function current() {
    clearTimeout(staleTimer);
    staleTimer = 0;
  }
  function stale() {
    if (!staleTimer) staleTimer = setTimeout(() => { staleTimer = 0; gone(refused ? "token" : "bridge"); }, GRACE_MS);
  }
  function open() {
    let opened = false;
    const again = status => {
      clearTimeout(hung);
      stream.close();
      stale();
      if (status === 401) {
        refused = true;
        current();
        gone("token");
      }
      setTimeout(open, RETRY_MS);
    };
    const stream = liveEvents({
      open() { opened = true; clearTimeout(hung); },
      state(state) { refused = false; current(); show(state); },
      offline() { refused = false; current(); gone("offline"); },
      end: again,
    });
    // A connection that neither opens nor fails (a bridge gone from the network without a word)
    // is given up too, so that the next try is not held back by it.
    const hung = setTimeout(() => { if (!opened) again(0); }, OPEN_MS);
  }
  stale();
  open();
}
