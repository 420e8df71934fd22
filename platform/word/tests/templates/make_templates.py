#!/usr/bin/python3
"""Regenerates the merge templates of this folder that other programs write.

python-docx writes the documents named python-*.docx (fields split over runs, tables, a text box,
sections with their own headers and footers); LibreOffice (soffice, headless) re-saves the letter that
python-docx writes as libreoffice-letter.docx and libreoffice-letter.rtf. The RTF templates with IF
fields and picture switches (hand-*.rtf) are written by hand: LibreOffice's RTF export drops both. The
packages laid out as Word writes them (word*.docx, macword*.docx) come from make_word_templates.py.

Usage: make_templates.py   (needs python3-docx and libreoffice-writer-nogui from Debian)
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

import docx
from lxml import etree
from docx.enum.section import WD_SECTION
from docx.oxml import OxmlElement
from docx.oxml.ns import qn
from docx.shared import Cm

HERE = os.path.dirname(os.path.abspath(__file__))


def logo_png(width=96, height=48):
    """A small RGB picture: a blue band over white."""
    rows = b"".join(b"\0" + b"".join(bytes((20, 60, 160)) if y < height // 2 else b"\xff\xff\xff"
                                     for _ in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def field(paragraph, pieces, shown, bold=False):
    """A complex field whose instruction is split over the given pieces, one run each; a piece that is a
    tuple (pieces, shown) is a field nested in the instruction."""
    def run(child_tag, text=None, **attributes):
        r = OxmlElement("w:r")
        if bold:
            properties = OxmlElement("w:rPr")
            properties.append(OxmlElement("w:b"))
            r.append(properties)
        child = OxmlElement(child_tag)
        for name, value in attributes.items():
            child.set(qn(name), value)
        if text is not None:
            child.text = text
            child.set(qn("xml:space"), "preserve")
        r.append(child)
        paragraph._p.append(r)

    run("w:fldChar", **{"w:fldCharType": "begin"})
    for piece in pieces:
        if isinstance(piece, tuple):
            field(paragraph, *piece)
        else:
            run("w:instrText", piece)
    run("w:fldChar", **{"w:fldCharType": "separate"})
    run("w:t", shown)
    run("w:fldChar", **{"w:fldCharType": "end"})


def merge_field(paragraph, name, pieces=None, switches=""):
    field(paragraph, pieces or [" MERGEFIELD %s%s " % (name, switches)], "\u00ab%s\u00bb" % name)


def letter(path, logo):
    document = docx.Document()
    section = document.sections[0]
    header = section.header.paragraphs[0]
    header.add_run("Account of ")
    merge_field(header, "Last_Name")
    footer = section.footer.paragraphs[0]
    footer.add_run("Branch ")
    merge_field(footer, "Town")
    document.add_picture(logo, width=Cm(3))
    greeting = document.add_paragraph("Dear ")
    merge_field(greeting, "Title")
    greeting.add_run(" ")
    merge_field(greeting, "Last_Name", [" MERGE", "FIELD  Last_", "Name "])
    greeting.add_run(",")
    table = document.add_table(rows=2, cols=2)
    table.style = "Table Grid"
    table.cell(0, 0).text = "Street"
    merge_field(table.cell(0, 1).paragraphs[0], "Street")
    table.cell(1, 0).text = "Postcode"
    merge_field(table.cell(1, 1).paragraphs[0], "Postcode")
    amount = document.add_paragraph("Amount due: ")
    merge_field(amount, "Amount")
    amount.add_run(" by ")
    merge_field(amount, "Due")
    amount.add_run(".")
    document.add_paragraph("Kind regards,", style="Heading 2")
    document.save(path)


def split_fields(path):
    """Fields split over runs, in a table and in a text box, and IF, NEXT-free switches."""
    document = docx.Document()
    header = document.sections[0].header.paragraphs[0]
    merge_field(header, "First_Name", [" MERGEFIELD ", "First", "_Name ", "\\* Upper "])
    paragraph = document.add_paragraph("Name: ")
    merge_field(paragraph, "First_Name", [" MER", "GEFIELD ", "\"First Name\" "])
    paragraph.add_run(" / ")
    merge_field(paragraph, "Last_Name", [" MERGEFIELD Last_Name \\* Upper "])
    owed = document.add_paragraph("Owed: ")
    merge_field(owed, "Amount", [" MERGEFIELD Amount \\# \"#,##0.00\" "])
    owed.add_run(" on ")
    merge_field(owed, "Due", [" MERGEFIELD Due \\@ \"d MMMM yyyy\" "])
    status = document.add_paragraph("Status: ")
    field(status, [" IF ", ([" MERGEFIELD Member "], "\u00abMember\u00bb"), ' = "yes" "member" "guest" '], "member")
    table = document.add_table(rows=1, cols=3)
    for i, name in enumerate(("Street", "Town", "Postcode")):
        merge_field(table.cell(0, i).paragraphs[0], name)
    box = document.add_paragraph()
    run = OxmlElement("w:r")
    pict = OxmlElement("w:pict")
    vml = "urn:schemas-microsoft-com:vml"
    shape = etree.SubElement(pict, "{%s}shape" % vml)
    shape.set("style", "width:200pt;height:40pt")
    textbox = etree.SubElement(shape, "{%s}textbox" % vml)
    content = OxmlElement("w:txbxContent")
    inner = OxmlElement("w:p")
    content.append(inner)
    textbox.append(content)
    run.append(pict)
    box._p.append(run)
    inner_paragraph = docx.text.paragraph.Paragraph(inner, box._parent)
    inner_paragraph.add_run("Box for ")
    merge_field(inner_paragraph, "Town")
    document.add_paragraph("End of letter.")
    document.save(path)


def sections(path):
    """Two sections: the second starts a page and has a first-page header and an even footer of its own."""
    document = docx.Document()
    document.settings.odd_and_even_pages_header_footer = True
    first = document.sections[0]
    merge_field(first.header.paragraphs[0], "Last_Name")
    first.even_page_footer.paragraphs[0].add_run("Even ")
    merge_field(first.even_page_footer.paragraphs[0], "Town")
    merge_field(first.footer.paragraphs[0], "Town")
    intro = document.add_paragraph("Section one for ")
    merge_field(intro, "First_Name")
    second = document.add_section(WD_SECTION.NEW_PAGE)
    second.different_first_page_header_footer = True
    second.header.is_linked_to_previous = False
    second.first_page_header.paragraphs[0].add_run("First page of ")
    merge_field(second.first_page_header.paragraphs[0], "Postcode")
    merge_field(second.header.paragraphs[0], "Street")
    document.add_paragraph("Section two.")
    document.save(path)


def libreoffice(source, extension, target):
    with tempfile.TemporaryDirectory() as out, tempfile.TemporaryDirectory() as profile:
        subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                        extension, "--outdir", out, source], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
        produced = os.path.join(out, os.path.splitext(os.path.basename(source))[0] + "." + extension)
        shutil.copyfile(produced, target)


def main():
    with tempfile.TemporaryDirectory() as work:
        logo = os.path.join(work, "logo.png")
        with open(logo, "wb") as out:
            out.write(logo_png())
        letter(os.path.join(HERE, "python-letter.docx"), logo)
        split_fields(os.path.join(HERE, "python-split-fields.docx"))
        sections(os.path.join(HERE, "python-sections.docx"))
        if shutil.which("soffice") is None:
            print("soffice is not installed: the LibreOffice templates were not regenerated", file=sys.stderr)
            return
        libreoffice(os.path.join(HERE, "python-letter.docx"), "docx", os.path.join(HERE, "libreoffice-letter.docx"))
        libreoffice(os.path.join(HERE, "python-letter.docx"), "rtf", os.path.join(HERE, "libreoffice-letter.rtf"))


if __name__ == "__main__":
    main()
