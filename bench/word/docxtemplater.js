// The reference merge: docxtemplater renders the benchmark's records into the same one-page letter (with
// {tags} in place of merge fields and a {#records} loop) and writes the document. Prints records per
// second, the 10,000/1,000 time ratio and, against the stand-in's times from the same run, the ratio of
// the two.
//
// Usage: node docxtemplater.js <work folder written by word_bench>
"use strict";
const fs = require("fs");
const path = require("path");
const PizZip = require("pizzip");
const Docxtemplater = require("docxtemplater");

const work = process.argv[2];
if (!work) {
  console.error("usage: node docxtemplater.js <work folder>");
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

function merge(templateBytes, records, output) {
  const start = process.hrtime.bigint();
  const doc = new Docxtemplater(new PizZip(templateBytes), { paragraphLoop: true, linebreaks: true });
  doc.render({ records });
  fs.writeFileSync(output, doc.getZip().generate({ type: "nodebuffer", compression: "DEFLATE" }));
  return Number(process.hrtime.bigint() - start) / 1e9;
}

function best(templateBytes, records, output) {
  let seconds = Infinity;
  for (let i = 0; i < 5; i++) seconds = Math.min(seconds, merge(templateBytes, records, output));
  return seconds;
}

const standIn = {};
for (const line of fs.readFileSync(path.join(work, "stand-in-times.txt"), "utf8").split("\n")) {
  const [format, count, seconds] = line.split(" ");
  if (format === "docx") standIn[count] = Number(seconds);
}

const templateBytes = fs.readFileSync(path.join(work, "letter-docxtemplater.docx"));
const times = {};
for (const count of [1000, 10000]) {
  const records = readRecords(path.join(work, `records-${count}.txt`));
  times[count] = best(templateBytes, records, path.join(work, `docxtemplater-${count}.docx`));
  console.log(
    `docxtemplater, docx, ${String(count).padStart(5)} records: ${times[count].toFixed(3)} s ` +
      `${Math.round(count / times[count])} records/s; ` +
      `time ratio docxtemplater/stand-in: ${(times[count] / standIn[count]).toFixed(2)}`
  );
}
console.log(`docxtemplater, docx, 10,000/1,000 time ratio: ${(times[10000] / times[1000]).toFixed(2)}`);
