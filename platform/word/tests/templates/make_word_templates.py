#!/usr/bin/python3
"""Writes the merge templates of this folder named word*.docx and macword*.docx: DOCX packages laid out as
Microsoft Word writes them, in raw XML (python-docx cannot write what matters here).

What they reproduce of Word's own files:
- a footnotes and an endnotes part whose separator and continuation-separator notes have the ids -1 and 0
  (Word keeps both parts once a document has had a note, even when it holds none), a continuation notice,
  and real notes numbered from 1;
- simple fields (w:fldSimple) nested in the instructions of IF fields, with their results as w:t or as
  w:instrText, and complex fields nested there with their results as w:instrText;
- field instructions split over several runs (with revision ids and proofing marks between them), as
  editing leaves them;
- the \\* MERGEFORMAT switch, and quoted field names with spaces ("First Name");
- the parts around them: settings with the main document's mail-merge data source (an external
  relationship), web settings, the font table, a theme, core and application properties, paragraph ids,
  revision ids and the _GoBack bookmark.

word2016-letter.docx is a letter as Word 2016 writes it, word2010-nested-if.docx nests IFs as Word 2010
does, macword2011-reminder.docx is a reminder as Word 2011 for Mac writes it. The test data's columns are
Title, First Name, Last Name, Street, Town, Postcode, Amount, Due, Member and Visits.

Usage: make_word_templates.py   (python3 alone)
"""
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
DECLARATION = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
RELATIONSHIPS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
WORDML = "application/vnd.openxmlformats-officedocument.wordprocessingml."

NAMESPACES_2016 = (
    'xmlns:wpc="http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas" '
    'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
    'xmlns:o="urn:schemas-microsoft-com:office:office" '
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
    'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math" '
    'xmlns:v="urn:schemas-microsoft-com:vml" '
    'xmlns:wp14="http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing" '
    'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" '
    'xmlns:w10="urn:schemas-microsoft-com:office:word" '
    'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
    'xmlns:w14="http://schemas.microsoft.com/office/word/2010/wordml" '
    'xmlns:w15="http://schemas.microsoft.com/office/word/2012/wordml" '
    'xmlns:wpg="http://schemas.microsoft.com/office/word/2010/wordprocessingGroup" '
    'xmlns:wpi="http://schemas.microsoft.com/office/word/2010/wordprocessingInk" '
    'xmlns:wne="http://schemas.microsoft.com/office/word/2006/wordml" '
    'xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape" '
    'mc:Ignorable="w14 w15 wp14"')
NAMESPACES_2010 = NAMESPACES_2016.replace(
    'xmlns:w15="http://schemas.microsoft.com/office/word/2012/wordml" ', "").replace("w14 w15 wp14", "w14 wp14")
NAMESPACES_MAC = (
    'xmlns:ve="http://schemas.openxmlformats.org/markup-compatibility/2006" '
    'xmlns:o="urn:schemas-microsoft-com:office:office" '
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
    'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math" '
    'xmlns:v="urn:schemas-microsoft-com:vml" '
    'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" '
    'xmlns:w10="urn:schemas-microsoft-com:office:word" '
    'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
    'xmlns:wne="http://schemas.microsoft.com/office/word/2006/wordml"')


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


class Ids:
    """Paragraph ids and revision ids as Word hands them out: eight hexadecimal digits each."""

    def __init__(self, seed, with_paragraph_ids=True):
        self.next = seed
        self.with_paragraph_ids = with_paragraph_ids

    def take(self):
        self.next = (self.next * 1103515245 + 12345) & 0x7FFFFFFF
        return "%08X" % self.next

    def paragraph(self):
        if not self.with_paragraph_ids:
            return ' w:rsidR="00%s" w:rsidRDefault="00%s"' % (self.take()[2:], self.take()[2:])
        return ' w14:paraId="%s" w14:textId="%s" w:rsidR="00%s" w:rsidRDefault="00%s"' % (
            self.take(), self.take(), self.take()[2:], self.take()[2:])


def properties(rpr):
    return "<w:rPr>%s</w:rPr>" % rpr if rpr else ""


def text(value, rpr="", rsid=None):
    space = ' xml:space="preserve"' if value != value.strip() else ""
    rsid_attribute = ' w:rsidR="%s"' % rsid if rsid else ""
    return '<w:r%s>%s<w:t%s>%s</w:t></w:r>' % (rsid_attribute, properties(rpr), space, escape(value))


def instruction(value, rpr=""):
    return '<w:r>%s<w:instrText xml:space="preserve">%s</w:instrText></w:r>' % (properties(rpr), escape(value))


def field_character(kind, rpr=""):
    return '<w:r>%s<w:fldChar w:fldCharType="%s"/></w:r>' % (properties(rpr), kind)


def complex_field(pieces, result, rpr="", result_as_instruction=False):
    """A field in runs: begin, the instruction (a piece is text of a run of its own, or the XML of a field
    nested in it, or a proofing mark), separate, the result, end. Nested in an instruction, Word writes
    the result as instruction text."""
    runs = field_character("begin", rpr)
    for piece in pieces:
        runs += piece if piece.startswith("<") else instruction(piece, rpr)
    runs += field_character("separate", rpr)
    shown = rpr + "<w:noProof/>"
    runs += instruction(result, shown) if result_as_instruction else text(result, shown)
    return runs + field_character("end", rpr)


def simple_field(instr, result, rpr="", result_as_instruction=False):
    shown = properties(rpr + "<w:noProof/>")
    content = ("<w:instrText>%s</w:instrText>" if result_as_instruction else "<w:t>%s</w:t>") % escape(result)
    return '<w:fldSimple w:instr="%s"><w:r>%s%s</w:r></w:fldSimple>' % (escape(instr), shown, content)


def merge_field(name, switches=" \\* MERGEFORMAT ", pieces=None, rpr=""):
    quoted = '"%s"' % name if " " in name else name
    return complex_field(pieces or [" MERGEFIELD %s%s" % (quoted, switches)], "\u00ab%s\u00bb" % name, rpr)


PROOF_START = '<w:proofErr w:type="spellStart"/>'
PROOF_END = '<w:proofErr w:type="spellEnd"/>'


def paragraph(ids, content, ppr=""):
    return "<w:p%s>%s%s</w:p>" % (ids.paragraph(), "<w:pPr>%s</w:pPr>" % ppr if ppr else "", content)


def note(kind, note_id, content, note_type=None):
    type_attribute = ' w:type="%s"' % note_type if note_type else ""
    return '<w:%s%s w:id="%d">%s</w:%s>' % (kind, type_attribute, note_id, content, kind)


def separators(kind, ids):
    spacing = '<w:spacing w:after="0" w:line="240" w:lineRule="auto"/>'
    return (note(kind, -1, paragraph(ids, "<w:r><w:separator/></w:r>", spacing), "separator") +
            note(kind, 0, paragraph(ids, "<w:r><w:continuationSeparator/></w:r>", spacing),
                 "continuationSeparator"))


def note_reference(kind, note_id):
    style = "FootnoteReference" if kind == "footnote" else "EndnoteReference"
    return ('<w:r><w:rPr><w:rStyle w:val="%s"/></w:rPr><w:%sReference w:id="%d"/></w:r>' %
            (style, kind, note_id))


def note_paragraph(kind, ids, content):
    style = "FootnoteText" if kind == "footnote" else "EndnoteText"
    own = ('<w:r><w:rPr><w:rStyle w:val="%s"/></w:rPr><w:%sRef/></w:r>' %
           ("FootnoteReference" if kind == "footnote" else "EndnoteReference", kind))
    return paragraph(ids, own + text(" ") + content, '<w:pStyle w:val="%s"/>' % style)


def styles(namespaces):
    def style(kind, style_id, name, extra=""):
        return '<w:style w:type="%s" w:styleId="%s"><w:name w:val="%s"/>%s</w:style>' % (kind, style_id, name, extra)

    return (DECLARATION + "<w:styles %s>" % namespaces +
            '<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:eastAsiaTheme="minorHAnsi" '
            'w:hAnsiTheme="minorHAnsi" w:cstheme="minorBidi"/><w:sz w:val="22"/><w:szCs w:val="22"/>'
            '<w:lang w:val="en-GB" w:eastAsia="en-US" w:bidi="ar-SA"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>'
            '<w:spacing w:after="160" w:line="259" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>' +
            style("paragraph", "Normal", "Normal", '<w:qFormat/>').replace('w:styleId="Normal"',
                                                                            'w:default="1" w:styleId="Normal"') +
            style("character", "DefaultParagraphFont", "Default Paragraph Font", '<w:uiPriority w:val="1"/>'
                  '<w:semiHidden/><w:unhideWhenUsed/>').replace('w:styleId=', 'w:default="1" w:styleId=') +
            style("table", "TableNormal", "Normal Table", '<w:uiPriority w:val="99"/><w:semiHidden/><w:tblPr>'
                  '<w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar><w:top w:w="0" w:type="dxa"/><w:left w:w="108" '
                  'w:type="dxa"/><w:bottom w:w="0" w:type="dxa"/><w:right w:w="108" w:type="dxa"/></w:tblCellMar>'
                  '</w:tblPr>').replace('w:styleId=', 'w:default="1" w:styleId=') +
            style("paragraph", "Title", "Title", '<w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/>'
                  '<w:rPr><w:sz w:val="56"/></w:rPr>') +
            style("paragraph", "Header", "header", '<w:basedOn w:val="Normal"/>') +
            style("paragraph", "Footer", "footer", '<w:basedOn w:val="Normal"/>') +
            style("paragraph", "FootnoteText", "footnote text", '<w:basedOn w:val="Normal"/>'
                  '<w:rPr><w:sz w:val="20"/></w:rPr>') +
            style("character", "FootnoteReference", "footnote reference", '<w:rPr><w:vertAlign w:val="superscript"/>'
                  '</w:rPr>') +
            style("paragraph", "EndnoteText", "endnote text", '<w:basedOn w:val="Normal"/>'
                  '<w:rPr><w:sz w:val="20"/></w:rPr>') +
            style("character", "EndnoteReference", "endnote reference", '<w:rPr><w:vertAlign w:val="superscript"/>'
                  '</w:rPr>') +
            "</w:styles>")


def settings(namespaces, ids, notes):
    note_properties = ""
    if notes:
        note_properties = ('<w:footnotePr><w:footnote w:id="-1"/><w:footnote w:id="0"/></w:footnotePr>'
                           '<w:endnotePr><w:endnote w:id="-1"/><w:endnote w:id="0"/></w:endnotePr>')
    rsids = "".join('<w:rsid w:val="00%s"/>' % ids.take()[2:] for _ in range(6))
    return (DECLARATION + "<w:settings %s>" % namespaces +
            '<w:zoom w:percent="100"/><w:proofState w:spelling="clean" w:grammar="clean"/>'
            '<w:mailMerge><w:mainDocumentType w:val="formLetters"/><w:linkToQuery/><w:dataType w:val="textFile"/>'
            '<w:connectString w:val=""/><w:query w:val="SELECT * FROM C:\\Users\\clerk\\AppData\\Local\\Temp\\mm4F2A.tmp"/>'
            '<w:dataSource r:id="rId1"/><w:viewMergedData/></w:mailMerge>'
            '<w:defaultTabStop w:val="720"/><w:characterSpacingControl w:val="doNotCompress"/>' + note_properties +
            '<w:compat><w:compatSetting w:name="compatibilityMode" w:uri="http://schemas.microsoft.com/office/word"'
            ' w:val="15"/></w:compat><w:rsids><w:rsidRoot w:val="00%s"/>%s</w:rsids>' % (ids.take()[2:], rsids) +
            '<w:themeFontLang w:val="en-GB"/><w:decimalSymbol w:val="."/><w:listSeparator w:val=","/>'
            "</w:settings>")


THEME = (DECLARATION + '<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="Office Theme">'
         '<a:themeElements><a:clrScheme name="Office"><a:dk1><a:sysClr val="windowText" lastClr="000000"/></a:dk1>'
         '<a:lt1><a:sysClr val="window" lastClr="FFFFFF"/></a:lt1><a:dk2><a:srgbClr val="44546A"/></a:dk2>'
         '<a:lt2><a:srgbClr val="E7E6E6"/></a:lt2><a:accent1><a:srgbClr val="4472C4"/></a:accent1>'
         '<a:accent2><a:srgbClr val="ED7D31"/></a:accent2><a:accent3><a:srgbClr val="A5A5A5"/></a:accent3>'
         '<a:accent4><a:srgbClr val="FFC000"/></a:accent4><a:accent5><a:srgbClr val="5B9BD5"/></a:accent5>'
         '<a:accent6><a:srgbClr val="70AD47"/></a:accent6><a:hlink><a:srgbClr val="0563C1"/></a:hlink>'
         '<a:folHlink><a:srgbClr val="954F72"/></a:folHlink></a:clrScheme><a:fontScheme name="Office"><a:majorFont>'
         '<a:latin typeface="Calibri Light"/><a:ea typeface=""/><a:cs typeface=""/></a:majorFont><a:minorFont>'
         '<a:latin typeface="Calibri"/><a:ea typeface=""/><a:cs typeface=""/></a:minorFont></a:fontScheme>'
         '<a:fmtScheme name="Office"><a:fillStyleLst><a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
         '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
         '</a:fillStyleLst><a:lnStyleLst><a:ln w="6350"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln>'
         '<a:ln w="12700"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln><a:ln w="19050"><a:solidFill>'
         '<a:schemeClr val="phClr"/></a:solidFill></a:ln></a:lnStyleLst><a:effectStyleLst><a:effectStyle>'
         '<a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/>'
         '</a:effectStyle></a:effectStyleLst><a:bgFillStyleLst><a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
         '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
         '</a:bgFillStyleLst></a:fmtScheme></a:themeElements><a:objectDefaults/><a:extraClrSchemeLst/></a:theme>')


def font_table(namespaces):
    fonts = ""
    for name, panose in (("Calibri", "020F0502020204030204"), ("Times New Roman", "02020603050405020304"),
                         ("Calibri Light", "020F0302020204030204")):
        fonts += ('<w:font w:name="%s"><w:panose1 w:val="%s"/><w:charset w:val="00"/><w:family w:val="swiss"/>'
                  '<w:pitch w:val="variable"/></w:font>' % (name, panose))
    return DECLARATION + "<w:fonts %s>%s</w:fonts>" % (namespaces, fonts)


def properties_parts(application, version):
    core = (DECLARATION + '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/'
            'core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
            'xmlns:dcmitype="http://purl.org/dc/dcmitype/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
            '<dc:title></dc:title><dc:creator>Clerk</dc:creator><cp:lastModifiedBy>Clerk</cp:lastModifiedBy>'
            '<cp:revision>3</cp:revision><dcterms:created xsi:type="dcterms:W3CDTF">2024-03-01T09:12:00Z'
            '</dcterms:created><dcterms:modified xsi:type="dcterms:W3CDTF">2024-03-01T09:31:00Z</dcterms:modified>'
            '</cp:coreProperties>')
    app = (DECLARATION + '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties" '
           'xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes"><Template>Normal.dotm'
           '</Template><TotalTime>19</TotalTime><Pages>1</Pages><Words>42</Words><Application>%s</Application>'
           '<DocSecurity>0</DocSecurity><Lines>3</Lines><Paragraphs>1</Paragraphs><ScaleCrop>false</ScaleCrop>'
           '<Company></Company><LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>'
           '<HyperlinksChanged>false</HyperlinksChanged><AppVersion>%s</AppVersion></Properties>' %
           (application, version))
    return core, app


def relationship(rid, kind, target, external=False):
    mode = ' TargetMode="External"' if external else ""
    return '<Relationship Id="%s" Type="%s/%s" Target="%s"%s/>' % (rid, RELATIONSHIPS, kind, escape(target), mode)


def section(header=None, footer=None):
    references = ""
    if header:
        references += '<w:headerReference w:type="default" r:id="%s"/>' % header
    if footer:
        references += '<w:footerReference w:type="default" r:id="%s"/>' % footer
    return ('<w:sectPr w:rsidR="00A12B34" w:rsidSect="00A12B34">%s<w:pgSz w:w="11906" w:h="16838"/>'
            '<w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440" w:header="708" w:footer="708" '
            'w:gutter="0"/><w:cols w:space="708"/><w:docGrid w:linePitch="360"/></w:sectPr>' % references)


def package(path, namespaces, ids, body, header, footer, footnotes, endnotes, application, version):
    """A package as Word writes it: the document, its styles, settings (a main document of a mail merge with
    its data source), web settings, fonts, theme, notes, one header and one footer, and its properties."""
    parts = {}
    overrides = [("/word/document.xml", WORDML + "document.main+xml"),
                 ("/word/styles.xml", WORDML + "styles+xml"),
                 ("/word/settings.xml", WORDML + "settings+xml"),
                 ("/word/webSettings.xml", WORDML + "webSettings+xml"),
                 ("/word/footnotes.xml", WORDML + "footnotes+xml"),
                 ("/word/endnotes.xml", WORDML + "endnotes+xml"),
                 ("/word/header1.xml", WORDML + "header+xml"),
                 ("/word/footer1.xml", WORDML + "footer+xml"),
                 ("/word/fontTable.xml", WORDML + "fontTable+xml"),
                 ("/word/theme/theme1.xml", "application/vnd.openxmlformats-officedocument.theme+xml"),
                 ("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml"),
                 ("/docProps/app.xml", "application/vnd.openxmlformats-officedocument.extended-properties+xml"),
                 ("/customXml/itemProps1.xml", "application/vnd.openxmlformats-officedocument.customXmlProperties+xml")]
    parts["[Content_Types].xml"] = (
        DECLARATION + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>' +
        "".join('<Override PartName="%s" ContentType="%s"/>' % override for override in overrides) + "</Types>")
    parts["_rels/.rels"] = (
        DECLARATION + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' +
        relationship("rId3", "extended-properties", "docProps/app.xml") +
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/'
        'core-properties" Target="docProps/core.xml"/>' +
        relationship("rId1", "officeDocument", "word/document.xml") + "</Relationships>")
    parts["word/document.xml"] = (DECLARATION + "<w:document %s><w:body>%s%s</w:body></w:document>" %
                                  (namespaces, body, section("rId8", "rId9")))
    parts["word/_rels/document.xml.rels"] = (
        DECLARATION + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' +
        # As Word does, the endnotes come before the footnotes among the relationships.
        relationship("rId3", "settings", "settings.xml") + relationship("rId7", "endnotes", "endnotes.xml") +
        relationship("rId2", "styles", "styles.xml") + relationship("rId1", "customXml", "../customXml/item1.xml") +
        relationship("rId6", "footnotes", "footnotes.xml") + relationship("rId11", "theme", "theme/theme1.xml") +
        relationship("rId5", "webSettings", "webSettings.xml") + relationship("rId10", "fontTable", "fontTable.xml") +
        relationship("rId9", "footer", "footer1.xml") + relationship("rId8", "header", "header1.xml") +
        "</Relationships>")
    parts["customXml/item1.xml"] = ('<b:Sources xmlns:b="http://schemas.openxmlformats.org/officeDocument/2006/'
                                    'bibliography" SelectedStyle="\\APASixthEditionOfficeOnline.xsl" '
                                    'StyleName="APA" Version="6"/>')
    parts["customXml/itemProps1.xml"] = (
        DECLARATION + '<ds:datastoreItem ds:itemID="{5B7A1F40-3C2E-4D8A-9A1B-2F6E8C0D4E11}" '
        'xmlns:ds="http://schemas.openxmlformats.org/officeDocument/2006/customXml"><ds:schemaRefs>'
        '<ds:schemaRef ds:uri="http://schemas.openxmlformats.org/officeDocument/2006/bibliography"/>'
        '</ds:schemaRefs></ds:datastoreItem>')
    parts["customXml/_rels/item1.xml.rels"] = (
        DECLARATION + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' +
        relationship("rId1", "customXmlProps", "itemProps1.xml") + "</Relationships>")
    parts["word/styles.xml"] = styles(namespaces)
    parts["word/settings.xml"] = settings(namespaces, ids, True)
    parts["word/_rels/settings.xml.rels"] = (
        DECLARATION + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' +
        relationship("rId1", "mailMergeSource",
                     "file:///C:\\Users\\clerk\\AppData\\Local\\Temp\\mm4F2A.tmp", external=True) +
        "</Relationships>")
    parts["word/webSettings.xml"] = (DECLARATION + "<w:webSettings %s><w:optimizeForBrowser/><w:allowPNG/>"
                                     "</w:webSettings>" % namespaces)
    parts["word/fontTable.xml"] = font_table(namespaces)
    parts["word/theme/theme1.xml"] = THEME
    parts["word/footnotes.xml"] = DECLARATION + "<w:footnotes %s>%s</w:footnotes>" % (namespaces, footnotes)
    parts["word/endnotes.xml"] = DECLARATION + "<w:endnotes %s>%s</w:endnotes>" % (namespaces, endnotes)
    parts["word/header1.xml"] = DECLARATION + "<w:hdr %s>%s</w:hdr>" % (namespaces, header)
    parts["word/footer1.xml"] = DECLARATION + "<w:ftr %s>%s</w:ftr>" % (namespaces, footer)
    parts["docProps/core.xml"], parts["docProps/app.xml"] = properties_parts(application, version)
    order = ["[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/_rels/document.xml.rels",
             "word/footnotes.xml", "word/endnotes.xml", "word/header1.xml", "word/footer1.xml",
             "word/theme/theme1.xml", "word/settings.xml", "word/_rels/settings.xml.rels", "customXml/item1.xml",
             "word/styles.xml", "customXml/itemProps1.xml", "word/webSettings.xml", "customXml/_rels/item1.xml.rels",
             "word/fontTable.xml", "docProps/core.xml", "docProps/app.xml"]
    assert sorted(order) == sorted(parts)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name in order:
            info = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, parts[name].encode("utf-8"))


def word2016_letter():
    """A letter: quoted names with spaces, \\* MERGEFORMAT everywhere, instructions split over runs with
    proofing marks between them, pictures of numbers and dates, a real footnote and endnote beside the
    separators, a simple field in the header and a page number in the footer."""
    ids = Ids(2016)
    bold = "<w:b/>"
    first_name = merge_field("First Name", pieces=[" MERGEFIELD ", PROOF_START, '"First', ' Name"', PROOF_END,
                                                   " \\* MERGEFORMAT "])
    body = paragraph(ids, text("Customer letter"), '<w:pStyle w:val="Title"/>')
    body += paragraph(ids, first_name + text(" ") + merge_field("Last Name"))
    body += paragraph(ids, merge_field("Street"))
    body += paragraph(ids, merge_field("Postcode") + text(" ") +
                      simple_field(" MERGEFIELD Town \\* MERGEFORMAT ", "\u00abTown\u00bb"))
    body += paragraph(ids, "")
    body += paragraph(ids, '<w:bookmarkStart w:id="0" w:name="_GoBack"/>' + text("Dear ") +
                      merge_field("Title", rpr=bold) + text(" ", bold) +
                      merge_field("Last Name", pieces=[" MERGE", "FIELD \"Last ", "Name\" ", "\\* MERGEFORMAT "],
                                  rpr=bold) + text(",") + '<w:bookmarkEnd w:id="0"/>')
    body += paragraph(ids, text("Your balance of ") +
                      merge_field("Amount", ' \\# "#,##0.00" \\* MERGEFORMAT ') + text(" is due on ") +
                      merge_field("Due", ' \\@ "d MMMM yyyy" \\* MERGEFORMAT ') + text(".") +
                      note_reference("footnote", 1))
    body += paragraph(ids, text("Kind regards,") + note_reference("endnote", 1))
    footnotes = separators("footnote", ids) + note(
        "footnote", 1, note_paragraph("footnote", ids, text("Member: ") +
                                      merge_field("Member", " \\* Upper \\* MERGEFORMAT ")))
    endnotes = separators("endnote", ids) + note(
        "endnote", 1, note_paragraph("endnote", ids, text("Record ") + simple_field(" MERGEREC ", "\u00abRecord\u00bb")))
    header = paragraph(ids, text("Account of ") +
                       simple_field(' MERGEFIELD "Last Name" \\* MERGEFORMAT ', "\u00abLast Name\u00bb"),
                       '<w:pStyle w:val="Header"/>')
    footer = paragraph(ids, text("Page ") + complex_field([" PAGE   \\* MERGEFORMAT "], "1") + text(" - ") +
                       simple_field(" MERGEFIELD Town ", "\u00abTown\u00bb"), '<w:pStyle w:val="Footer"/>')
    package(os.path.join(HERE, "word2016-letter.docx"), NAMESPACES_2016, ids, body, header, footer, footnotes,
            endnotes, "Microsoft Office Word", "16.0000")


def word2010_nested_if():
    """IF fields whose operands and texts are fields: simple fields (with their results as text or as
    instruction text) and complex ones (with their results as instruction text), as Word 2010 writes a
    nested IF; a notes part that holds the separators alone."""
    ids = Ids(2010)

    def nested_simple(name, as_instruction=False):
        quoted = '"%s"' % name if " " in name else name
        return simple_field(" MERGEFIELD %s " % quoted, "\u00ab%s\u00bb" % name,
                            result_as_instruction=as_instruction)

    greeting = complex_field([" IF ", nested_simple("Title"), ' = "Dr" "Doctor ', nested_simple("Last Name", True),
                              '" "', nested_simple("Title", True), " ", nested_simple("Last Name"),
                              '" \\* MERGEFORMAT '], "Doctor \u00abLast Name\u00bb")
    visits_field = complex_field([" MERGEFIELD Visits "], "\u00abVisits\u00bb", result_as_instruction=True)
    inner = complex_field([" IF ", nested_simple("Visits"), ' = "two" "two" "more: ', nested_simple("Visits", True),
                           '"'], "two", result_as_instruction=True)
    visits = complex_field([" IF ", visits_field, ' <> "one" "', inner, '" "- one -" '], "- one -")
    member_field = complex_field([" MERGEFIELD Member "], "\u00abMember\u00bb", result_as_instruction=True)
    status = complex_field([" IF ", member_field, ' = "y', 'es" "mem', 'ber" "gu', 'est" '], "member")
    body = paragraph(ids, text("Dear ") + greeting + text(","))
    body += paragraph(ids, text("Visits: ") + visits)
    body += paragraph(ids, text("Status: ") + status)
    body += paragraph(ids, text("Thank you."))
    header = paragraph(ids, complex_field([" IF ", nested_simple("Member"), ' = "skip" "" "',
                                           nested_simple("First Name", True), '" '], "\u00abFirst Name\u00bb"),
                       '<w:pStyle w:val="Header"/>')
    footer = paragraph(ids, text("Leeds office"), '<w:pStyle w:val="Footer"/>')
    package(os.path.join(HERE, "word2010-nested-if.docx"), NAMESPACES_2010, ids, body, header, footer,
            separators("footnote", ids), separators("endnote", ids), "Microsoft Office Word", "14.0000")


def macword2011_reminder():
    """A reminder as Word 2011 for Mac writes it (no paragraph ids, its own namespaces): a field with text
    before and after its value, a continuation notice among the notes and the real note after it."""
    ids = Ids(2011, with_paragraph_ids=False)
    body = paragraph(ids, text("Payment reminder"), '<w:pStyle w:val="Title"/>')
    body += paragraph(ids, merge_field("First Name", pieces=[' MERGEFIELD "First Name" \\b "Dear " ',
                                                             '\\f "," \\* MERGEFORMAT ']))
    body += paragraph(ids, text("Amount: ") + merge_field("Amount", ' \\# "#,##0.00" ') + text(" euros") +
                      note_reference("footnote", 2))
    body += paragraph(ids, text("Sequence ") + simple_field(" MERGESEQ ", "\u00abSequence\u00bb"))
    footnotes = (separators("footnote", ids) +
                 note("footnote", 1, paragraph(ids, text("(continued)")), "continuationNotice") +
                 note("footnote", 2, note_paragraph("footnote", ids, text("Due on ") +
                                                    merge_field("Due", ' \\@ "d MMMM yyyy" '))))
    header = paragraph(ids, simple_field(' MERGEFIELD "Last Name" \\* Upper ', "\u00abLast Name\u00bb"),
                       '<w:pStyle w:val="Header"/>')
    footer = paragraph(ids, text("Reminders office"), '<w:pStyle w:val="Footer"/>')
    package(os.path.join(HERE, "macword2011-reminder.docx"), NAMESPACES_MAC, ids, body, header, footer, footnotes,
            separators("endnote", ids), "Microsoft Macintosh Word", "14.0000")


def main():
    word2016_letter()
    word2010_nested_if()
    macword2011_reminder()


if __name__ == "__main__":
    main()
