// The reference merge: docxtemplater renders the benchmark's records into the same one-page letter (with
// {tags} in place of merge fields and a {#records} loop). Timed like the stand-in's merge: from reading
// the template and the data file to the finished document in memory. Prints records per second, the
// 10,000/1,000 time ratio and, against the stand-in's DOCX merge times from the same run, the ratio of the
// two. Each figure is the best of five runs in this one process.
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

function merge(templateFile, dataFile) {
  const start = process.hrtime.bigint();
  const records = readRecords(dataFile);
  const doc = new Docxtemplater(new PizZip(fs.readFileSync(templateFile)), { paragraphLoop: true, linebreaks: true });
  doc.render({ records });
  const document = doc.getZip().generate({ type: "nodebuffer", compression: "DEFLATE" });
  return { seconds: Number(process.hrtime.bigint() - start) / 1e9, document };
}

function best(templateFile, dataFile, output) {
  let seconds = Infinity;
  let document;
  for (let i = 0; i < 5; i++) {
    const run = merge(templateFile, dataFile);
    seconds = Math.min(seconds, run.seconds);
    document = run.document;
  }
  fs.writeFileSync(output, document);
  return seconds;
}

// The stand-in's times of the same run, when it got as far as writing them.
const standIn = {};
const standInTimes = path.join(work, "stand-in-times.txt");
if (fs.existsSync(standInTimes)) {
  for (const line of fs.readFileSync(standInTimes, "utf8").split("\n")) {
    const [format, count, seconds] = line.split(" ");
    if (format === "docx") standIn[count] = Number(seconds);
  }
}

const times = {};
for (const count of [1000, 10000]) {
  times[count] = best(
    path.join(work, "letter-docxtemplater.docx"),
    path.join(work, `records-${count}.txt`),
    path.join(work, `docxtemplater-${count}.docx`)
  );
  console.log(
    `docxtemplater, docx, ${String(count).padStart(5)} records: merge ${times[count].toFixed(3)} s, ` +
      `${Math.round(count / times[count])} records/s; ` +
      `time ratio docxtemplater/stand-in: ${standIn[count] ? (times[count] / standIn[count]).toFixed(2) : "n/a"}`
  );
}
console.log(`docxtemplater, docx, 10,000/1,000 merge time ratio: ${(times[10000] / times[1000]).toFixed(2)}`);
