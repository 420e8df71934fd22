#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/seed-*. Inputs found by fuzzing (and every
one that once crashed) are kept beside them under their own names. The database seed is made by nsfadmin:
    python3 fuzz/make_seeds.py [path of nsfadmin]"""
import io, json, os, struct, subprocess, sys, tempfile, zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

def put(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'seed-' + name), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())

DESCRIPTION = {
    "server": "", "path": "sales/contacts.nsf", "title": "Contacts",
    "views": [{"name": "By Region", "alias": "ByRegion", "selection": "SELECT Form = \"Contact\"",
               "columns": [{"title": "Region", "item": "Region", "sorted": True, "categorised": True},
                           {"title": "Last Name", "item": "LastName", "sorted": True, "descending": True},
                           {"title": "Full Name", "formula": "FirstName + \" \" + LastName"},
                           {"title": "Age", "item": "Age", "totals": True},
                           {"title": "Kind", "constant": "contact", "hidden": True}]},
              {"name": "All"}],
    "documents": [{"Form": "Contact", "FirstName": "Ann", "LastName": "Lee", "Region": "North",
                   "Tags": ["a", "b"], "Age": 42, "Since": {"datetime": "2019-03-01T09:00:00Z"},
                   "Scores": [1.5, -2, 1e10], "Dates": [{"datetime": "2020-01-01"}]},
                  {"Form": "Contact", "FirstName": "Bob", "Region": "South", "$Parent": 0, "Empty": []}],
}

def seeds():
    put('nsfadmin_json', 'contacts', json.dumps(DESCRIPTION, indent=1))
    put('nsfadmin_json', 'minimal', '{"path": "a.nsf"}')
    put('nsfadmin_json', 'number-out-of-range', '{"path": "n.nsf", "documents": [{"N": 1e400}]}')
    put('nsfadmin_json', 'key-twice', '{"path": "n.nsf", "documents": [{"N": 1, "n": 2}]}')
    view_format = struct.pack('<BBHHHH', 1, 0, 1, 0, 0, 0) + struct.pack('<HHHHHH', 0, 2, 4, 5, 0, 0) + bytes(20) + b'Name' + b'Title'
    put('nsfadmin_json', 'stored-view-format', view_format)

    formulas = ['SELECT Form = "Memo"', '@If(Count > 1; "many"; "one") + @Text(3)', 'x := 1; y := x * 2; @Sum(x; y; 3)',
                '@Left("abcdef"; 3) : @Right("xyz"; 1)', '@Trim(@Explode("a, b, c"; ","))', '@Now > [01/01/2020]',
                'SELECT @All', '@Implode(@Subset(@Explode("1 2 3"); -2); "-")', '"unterminated', '@UpperCase(@Word("a b c"; " "; 2))']
    for i, f in enumerate(formulas):
        put('formula', 'text-%d' % i, b'\x00' + f.encode())
    put('formula', 'compiled-junk', b'\x01' + bytes(range(64)))

    rtf = (r'{\rtf1\ansi\deff0{\fonttbl{\f0 Times New Roman;}}{\stylesheet{\s0 Normal;}}'
           r'{\header Page header}\paperw12240\paperh15840 Dear {\field{\*\fldinst MERGEFIELD Name}{\fldrslt Name}}'
           r' of {\field{\*\fldinst { MERGEFIELD City }}{\fldrslt x}}\par\tab \u233? caf\'e9\line end\page}')
    put('word_template', 'rtf', b'\x00' + rtf.encode())
    put('word_template', 'rtf-no-fields', b'\x00' + rb'{\rtf1 Hello\par}')
    body = ('<w:p><w:r><w:t xml:space="preserve">Dear </w:t></w:r><w:fldSimple w:instr=" MERGEFIELD Name ">'
            '<w:r><w:t>Name</w:t></w:r></w:fldSimple><w:r><w:fldChar w:fldCharType="begin"/></w:r>'
            '<w:r><w:instrText> MERGEFIELD City </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r>'
            '<w:r><w:t>City</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>')
    document = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document xmlns:w="http://schemas.openxmlformats.org/'
                'wordprocessingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                '<w:body>' + body + '<w:sectPr><w:pgSz w:w="11906" w:h="16838"/></w:sectPr></w:body></w:document>')
    types = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.'
             'wordprocessingml.document.main+xml"/></Types>')
    rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
            'relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
            'relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    out = io.BytesIO()
    with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('[Content_Types].xml', types)
        z.writestr('_rels/.rels', rels)
        z.writestr('word/document.xml', document)
    put('word_template', 'docx', b'\x01' + out.getvalue())

    def word(v): return struct.pack('<H', v)
    def text_record(t, font=0x0A000001):
        r = word(0xFF85) + word(8 + len(t)) + struct.pack('<I', font) + t
        return r + (b'\0' if len(r) % 2 else b'')
    put('composite', 'text', text_record(b'Hello') + word(0x0281) + text_record(b'world!'))
    put('composite', 'records', word(0xFF8A) + word(32) + bytes(28) + word(0x00A4) + bytes(2) +
        word(0x0001) + struct.pack('<I', 10) + bytes(4))
    put('composite', 'empty', b'')
    # A text record longer than one item can hold, as another program may write it: split when written.
    put('composite', 'long-text', text_record(bytes(97 + i % 26 for i in range(40952))) + word(0x0281))

def database(nsfadmin):
    with tempfile.TemporaryDirectory() as root:
        with open(os.path.join(root, 'notes.ini'), 'w') as f:
            f.write('[Notes]\nDirectory=%s\n' % root)
        description = dict(DESCRIPTION, path='seed.nsf')
        with open(os.path.join(root, 'seed.json'), 'w') as f:
            json.dump(description, f)
        env = dict(os.environ, NOTES_INI=os.path.join(root, 'notes.ini'))
        subprocess.run([nsfadmin, 'build', os.path.join(root, 'seed.json')], env=env, check=True)
        subprocess.run([nsfadmin, 'view', 'seed.nsf', 'By Region'], env=env, check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(root, 'seed.nsf'), 'rb') as f:
            put('database_file', 'contacts', f.read())

seeds()
if len(sys.argv) > 1:
    database(sys.argv[1])
