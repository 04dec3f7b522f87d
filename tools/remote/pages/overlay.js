// The overlay: line 1 live, in the look its link asked for (the bridge writes it, checked, into the
// <body> tag). While Kadrant or the bridge is away it shows nothing at all: no stale number and
// no error text on the stream.
"use strict";
const look = document.body.dataset;
const line = document.getElementById("line");
const ALIGN = { left: "xMinYMid", centre: "xMidYMid", right: "xMaxYMid" };
document.documentElement.style.setProperty("--lit", look.color);
document.body.classList.toggle("unlit", look.unlit === "on");
line.setAttribute("preserveAspectRatio", (ALIGN[look.align] || ALIGN.centre) + " meet");
const { group: cells, digits } = addLine(line);

function showLine(text) {
  text = boardText(text);
  line.setAttribute("aria-label", "board line " + text.trim());
  for (let i = 0; i < CELLS; i++) showDigit(digits[i], text[i]);
  // Without the unlit segments the blanks around the number show nothing: the number itself is
  // placed as asked. With them the whole board shows, as it is.
  const used = text.trim().length;
  let shift = 0;
  if (look.unlit !== "on" && used > 0) {
    const leading = text.length - text.trimStart().length;
    const trailing = text.length - text.trimEnd().length;
    if (look.align === "left") shift = -leading;
    else if (look.align === "right") shift = trailing;
    else shift = (trailing - leading) / 2;
  }
  cells.setAttribute("transform", `translate(${shift * CELL_WIDTH} 0)`);
}

followState(state => {
  showLine(state.line1);
  document.body.classList.remove("gone");
}, () => document.body.classList.add("gone"));
