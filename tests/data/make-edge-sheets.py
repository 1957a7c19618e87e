#!/usr/bin/env python3
"""Writes krawedzie.xlsx and krawedzie.ods: small hand-made sheets with what spreadsheet
programs write only now and then (inline and rich strings, escapes, gaps, repeats, comments,
a first sheet that is not sheet1.xml). Run it here; the files are committed."""
import zipfile

X = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" ' \
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'

xlsx = {
    '[Content_Types].xml': '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
    'xl/workbook.xml': f'<?xml version="1.0"?><workbook {X}><sheets>'
        '<sheet name="Oferty" sheetId="2" r:id="rId2"/><sheet name="Inny" sheetId="1" r:id="rId1"/>'
        '</sheets></workbook>',
    'xl/_rels/workbook.xml.rels': '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'
        f'<Relationship Id="rId2" Type="{REL}/worksheet" Target="/xl/worksheets/oferty.xml"/>'
        f'<Relationship Id="rId3" Type="{REL}/sharedStrings" Target="teksty.xml"/></Relationships>',
    'xl/teksty.xml': f'<?xml version="1.0"?><sst {X}><si><t>Nagłówek</t></si>'
        '<si><r><t>Zaż</t></r><r><rPr><b/></rPr><t xml:space="preserve">ółć </t></r><rPh sb="0" eb="1"><t>FONETYKA</t></rPh></si>'
        '<si><t>linia 1_x000D_\nlinia 2 &amp; _x005F_x</t></si></sst>',
    'xl/worksheets/sheet1.xml': f'<?xml version="1.0"?><worksheet {X}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>inny arkusz</t></is></c></row></sheetData></worksheet>',
    'xl/worksheets/oferty.xml': f'<?xml version="1.0"?><worksheet {X}><sheetData>'
        '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="inlineStr"><is><t>W wierszu</t></is></c></row>'
        '<row r="3"><c r="A3"><v>12.99</v></c><c r="B3" t="n"><v>13</v></c><c r="C3" t="b"><v>1</v></c>'
        '<c r="D3" t="b"><v>0</v></c><c r="E3" t="str"><f>A1</f><v>wynik</v></c><c r="F3" t="e"><v>#N/A</v></c>'
        '<c r="G3" t="s"><v>1</v></c><c r="H3" t="s"><v>2</v></c><c r="I3"><v>0.30000000000000004</v></c>'
        '<c r="J3"><v>-2.5</v></c><c r="K3"><v>5901234567890</v></c><c r="L3" s="1"/></row>'
        '<row><c><v>7</v></c><c><v>1E-3</v></c></row></sheetData></worksheet>',
}

T = 'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" ' \
    'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" ' \
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
content = (f'<?xml version="1.0"?><office:document-content {T}><office:body><office:spreadsheet>'
    '<table:table table:name="Oferty"><table:table-column table:number-columns-repeated="3"/>'
    '<table:table-header-rows><table:table-row>'
    '<table:table-cell><text:p>a<text:s text:c="2"/>b<text:tab/><text:span>c</text:span></text:p></table:table-cell>'
    '<table:table-cell><text:p>x</text:p><text:p>y<text:line-break/>z</text:p></table:table-cell>'
    '<table:table-cell><office:annotation><text:p>komentarz</text:p></office:annotation><text:p>widać</text:p></table:table-cell>'
    '<table:table-cell table:number-columns-repeated="20000"/><table:table-cell><text:p>za daleko</text:p></table:table-cell>'
    '</table:table-row></table:table-header-rows>'
    '<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="3"><text:p>r</text:p></table:table-cell>'
    '<table:covered-table-cell/></table:table-row>'
    '<table:table-row table:number-rows-repeated="1048576"><table:table-cell table:number-columns-repeated="16384"/></table:table-row>'
    '<table:table-row><table:table-cell><text:p>poza arkuszem</text:p></table:table-cell></table:table-row>'
    '</table:table><table:table table:name="Inny"><table:table-row><table:table-cell><text:p>inny arkusz</text:p>'
    '</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body></office:document-content>')

with zipfile.ZipFile('krawedzie.xlsx', 'w', zipfile.ZIP_DEFLATED) as z:
    for name, text in xlsx.items():
        z.writestr(name, text)
with zipfile.ZipFile('krawedzie.ods', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr(zipfile.ZipInfo('mimetype'), 'application/vnd.oasis.opendocument.spreadsheet')
    z.writestr('content.xml', content)
