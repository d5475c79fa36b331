"use strict";
// The records: read from the page's data block as data, shown a page of rows at a
// time, each unfolded on a click to its text. Every text goes in as textContent.
(function () {
  const LINE = 0, NAME = 1, RC = 2, STATE = 3, FLAGS = 4, TEXT = 5, DAMAGE = 6;
  const FAILED = 1, DAMAGED = 2;
  const ROWS = 200;
  const records = JSON.parse(document.getElementById("trace-data").textContent);
  const withFinding = new Set(JSON.parse(document.getElementById("finding-records").textContent));
  const list = document.getElementById("record-list");
  const filter = document.getElementById("filter");
  const shownText = document.getElementById("shown");
  let shown = records.map((_, i) => i);
  let page = 0;
  let current = -1;

  // Control characters as the monitor shows them.
  function visible(text) {
    return text.replace(/[\x00-\x08\x0b-\x1f\x7f]/g, (c) => "\\x" + c.charCodeAt(0).toString(16).toUpperCase().padStart(2, "0"));
  }

  function span(cls, text) {
    const s = document.createElement("span");
    s.className = cls;
    s.textContent = visible(text);
    return s;
  }

  function unfold(div, open) {
    const r = records[Number(div.id.slice(1))];
    const body = div.querySelector(".body");
    if (body && !open) { body.remove(); return; }
    if (body) return;
    const box = document.createElement("div");
    box.className = "body";
    const pre = document.createElement("pre");
    pre.textContent = visible(r[TEXT]);
    box.append(pre);
    for (const d of r[DAMAGE]) box.append(Object.assign(document.createElement("div"), { className: "damage", textContent: "damaged: " + visible(d) }));
    div.append(box);
  }

  function row(i) {
    const r = records[i];
    const div = document.createElement("div");
    div.className = "record";
    div.id = "r" + i;
    if (r[FLAGS] & FAILED) div.classList.add("failed");
    if (r[FLAGS] & DAMAGED) div.classList.add("damaged");
    if (withFinding.has(i)) div.classList.add("finding");
    if (i === current) div.classList.add("current");
    const head = document.createElement("button");
    head.type = "button";
    head.className = "head";
    head.append(span("line", "line " + r[LINE]), span("name", r[NAME]), span("rc", r[RC]), span("state", r[STATE] ? "state " + r[STATE] : ""));
    head.addEventListener("click", () => unfold(div, !div.querySelector(".body")));
    div.append(head);
    return div;
  }

  function pager(box) {
    box.replaceChildren();
    const pages = Math.max(1, Math.ceil(shown.length / ROWS));
    if (pages === 1) return;
    const go = (label, to) => {
      const b = document.createElement("button");
      b.type = "button";
      b.textContent = label;
      b.disabled = to < 0 || to >= pages || to === page;
      b.addEventListener("click", () => { page = to; render(); });
      box.append(b);
    };
    go("First", 0);
    go("Previous", page - 1);
    box.append(span("", "page " + (page + 1) + " of " + pages));
    go("Next", page + 1);
    go("Last", pages - 1);
  }

  function render() {
    list.replaceChildren(...shown.slice(page * ROWS, (page + 1) * ROWS).map(row));
    shownText.textContent = shown.length === records.length ? records.length + " records"
      : shown.length + " of " + records.length + " records";
    pager(document.getElementById("pager-top"));
    pager(document.getElementById("pager-bottom"));
  }

  // Every word must occur in the record's line, return code or text; a word with
  // a lower-case letter matches any case.
  function applyFilter(text) {
    const words = text.split(/\s+/).filter(Boolean).map((w) => ({ w: w.toLowerCase(), exact: w === w.toUpperCase() ? w : null }));
    shown = [];
    for (let i = 0; i < records.length; ++i) {
      const r = records[i];
      const hay = r[NAME] + " " + r[RC] + " " + r[TEXT] + " " + r[DAMAGE].join(" ");
      let lower = null;
      if (words.every(({ w, exact }) => exact !== null ? hay.includes(exact) : (lower ??= hay.toLowerCase()).includes(w))) shown.push(i);
    }
    page = 0;
    render();
  }

  function show(i) {
    if (!(i >= 0 && i < records.length)) return;
    let at = shown.indexOf(i);
    if (at < 0) {
      filter.value = "";
      shown = records.map((_, k) => k);
      at = i;
    }
    current = i;
    page = Math.floor(at / ROWS);
    render();
    const div = document.getElementById("r" + i);
    unfold(div, true);
    div.scrollIntoView({ block: "center" });
  }

  function nextFailure(step) {
    let at = shown.indexOf(current);
    if (at < 0) at = step > 0 ? -1 : shown.length;
    for (let k = at + step; k >= 0 && k < shown.length; k += step) {
      if (records[shown[k]][FLAGS] & FAILED) {
        history.replaceState(null, "", "#r" + shown[k]);
        show(shown[k]);
        return;
      }
    }
  }

  function fromHash() {
    let hash = location.hash.slice(1);
    try { hash = decodeURIComponent(hash); } catch (e) { /* a malformed escape: taken as written */ }
    if (/^r\d+$/.test(hash)) show(Number(hash.slice(1)));
    else if (hash.startsWith("filter=")) {
      filter.value = hash.slice(7);
      applyFilter(filter.value);
    }
  }

  let typing = 0;
  filter.addEventListener("input", () => {
    clearTimeout(typing);
    typing = setTimeout(() => applyFilter(filter.value), 150);
  });
  document.getElementById("next-failure").addEventListener("click", () => nextFailure(1));
  document.getElementById("previous-failure").addEventListener("click", () => nextFailure(-1));
  document.addEventListener("keydown", (e) => {
    if (e.target === filter || e.ctrlKey || e.metaKey || e.altKey) return;
    if (e.key === "n") nextFailure(1);
    else if (e.key === "p") nextFailure(-1);
    else if (e.key === "/") { e.preventDefault(); filter.focus(); }
  });
  window.addEventListener("hashchange", fromHash);
  render();
  fromHash();
})();
