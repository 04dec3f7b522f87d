// The board's digits, drawn as the LED board draws them: seven segments a to g in a 40 x 70 cell,
// slanted a little. Shared by every page; the pages' style sheets colour `.s` and `.s.on`.
"use strict";
const SVG_NS = "http://www.w3.org/2000/svg";
const CELLS = 9; // characters on line 1
const CELL_WIDTH = 44;
const H = (y) => `8,${y} 12,${y - 4} 28,${y - 4} 32,${y} 28,${y + 4} 12,${y + 4}`;
const V = (x, a, b) => `${x},${a} ${x + 4},${a + 4} ${x + 4},${b - 4} ${x},${b} ${x - 4},${b - 4} ${x - 4},${a + 4}`;
const SEGMENTS = [H(5), V(35, 7, 34), V(35, 36, 63), H(65), V(5, 36, 63), V(5, 7, 34), H(35)];
const GLYPHS = { "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg",
  "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg", "-": "g", "_": "d", " ": "",
  "A": "abcefg", "b": "cdefg", "C": "adef", "c": "deg", "d": "bcdeg", "E": "adefg", "F": "aefg",
  "H": "bcefg", "h": "cefg", "L": "def", "n": "ceg", "o": "cdeg", "P": "abefg", "r": "eg",
  "t": "defg", "U": "bcdef", "u": "cde", "y": "bcdfg" };

// One digit's seven segments in `parent` (an <svg> or a group), its cell starting at x; returns them.
function addDigit(parent, x) {
  const g = document.createElementNS(SVG_NS, "g");
  g.setAttribute("transform", `translate(${x} 0) skewX(-6) translate(4 0)`);
  const parts = SEGMENTS.map(points => {
    const p = document.createElementNS(SVG_NS, "polygon");
    p.setAttribute("points", points);
    p.setAttribute("class", "s");
    g.appendChild(p);
    return p;
  });
  parent.appendChild(g);
  return parts;
}

function showDigit(parts, c) {
  const lit = GLYPHS[c] ?? GLYPHS[c.toUpperCase()] ?? GLYPHS[c.toLowerCase()] ?? "";
  parts.forEach((p, s) => p.classList.toggle("on", lit.includes("abcdefg"[s])));
}

// Line 1 as the board holds it: nine characters, right-aligned.
function boardText(text) {
  return (text || "").padStart(CELLS).slice(-CELLS);
}

// The whole line in one <svg>, the cells side by side in one group (so that it moves as one).
function addLine(svg) {
  svg.setAttribute("viewBox", `-2 0 ${CELLS * CELL_WIDTH} 70`);
  const group = document.createElementNS(SVG_NS, "g");
  svg.appendChild(group);
  const digits = [];
  for (let i = 0; i < CELLS; i++) digits.push(addDigit(group, i * CELL_WIDTH));
  return { group, digits };
}
