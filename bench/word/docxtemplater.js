// The peer of the word merge benchmark: docxtemplater renders the benchmark's records into the same one-page
// letter (with {tags} in place of merge fields and a {#records} loop). word_bench runs it in a process of its
// own in each round, in turn with the stand-in's merge: it merges once untimed, as the stand-in's process
// does, then once timed, from reading the template and the data file to the finished document in memory,
// and prints the seconds of the timed merge.
//
// Usage: node docxtemplater.js <template> <data file>
"use strict";
const fs = require("fs");
const PizZip = require("pizzip");
const Docxtemplater = require("docxtemplater");

const [templateFile, dataFile] = process.argv.slice(2);
if (!templateFile || !dataFile) {
  console.error("usage: node docxtemplater.js <template> <data file>");
  process.exit(2);
}

// The merge data file: titles, then records; TAB-separated values, CR LF line ends.
function readRecords(file) {
  const lines = fs.readFileSync(file, "utf8").split("\r\n").filter((line) => line.length > 0);
  const names = lines[0].split("\t").map((title) => title.replace(/ /g, "_"));
  return lines.slice(1).map((line) => {
    const values = line.split("\t");
    return Object.fromEntries(names.map((name, i) => [name, values[i] ?? ""]));
  });
}

function merge() {
  const start = process.hrtime.bigint();
  const records = readRecords(dataFile);
  const doc = new Docxtemplater(new PizZip(fs.readFileSync(templateFile)), { paragraphLoop: true, linebreaks: true });
  doc.render({ records });
  const document = doc.getZip().generate({ type: "nodebuffer", compression: "DEFLATE" });
  if (document.length === 0) throw new Error("empty document");
  return Number(process.hrtime.bigint() - start) / 1e9;
}

merge();
console.log(merge().toFixed(6));
