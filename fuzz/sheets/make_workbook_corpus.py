#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_workbook under corpus/fuzz_workbook/: tiny workbooks, each prefixed with the
byte that picks its kind in the fuzzer (0 .xlsx, 1 .ods)."""

import io
import pathlib
import zipfile

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "fuzz_workbook"
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def zipped(parts):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 5, 0, 0, 0))  # the same bytes on every run
            archive.writestr(info, text, zipfile.ZIP_DEFLATED)
    return buffer.getvalue()


def xlsx(sheet, strings="", styles="", date1904=False):
    workbook_pr = '<workbookPr date1904="1"/>' if date1904 else ""
    return zipped([
        ("xl/workbook.xml", f'<workbook xmlns="{MAIN}" xmlns:r="{REL}">{workbook_pr}'
                            '<sheets><sheet name="名单" sheetId="1" r:id="rId1"/></sheets></workbook>'),
        ("xl/_rels/workbook.xml.rels",
         '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
         f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'
         f'<Relationship Id="rId2" Type="{REL}/sharedStrings" Target="/xl/sharedStrings.xml"/>'
         f'<Relationship Id="rId3" Type="{REL}/styles" Target="styles.xml"/></Relationships>'),
        ("xl/sharedStrings.xml", f'<sst xmlns="{MAIN}">{strings}</sst>'),
        ("xl/styles.xml", f'<styleSheet xmlns="{MAIN}">{styles}</styleSheet>'),
        ("xl/worksheets/sheet1.xml", f'<worksheet xmlns="{MAIN}">{sheet}</worksheet>'),
    ])


def ods(tables):
    return zipped([
        ("mimetype", "application/vnd.oasis.opendocument.spreadsheet"),
        ("content.xml", '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                        'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                        'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>'
                        f'<office:spreadsheet>{tables}</office:spreadsheet></office:body></office:document-content>'),
    ])


def write(name, kind, data):
    OUT.mkdir(parents=True, exist_ok=True)
    (OUT / name).write_bytes(bytes([kind]) + data)


write("xlsx-strings", 0, xlsx(
    '<sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>'
    '<row r="3"><c r="C3" t="inlineStr"><is><t>00123</t></is></c><c t="b"><v>1</v></c></row></sheetData>',
    '<si><t>张三</t></si><si><r><t>销售</t></r><r><t>部</t></r><rPh><t>x</t></rPh></si>'))
write("xlsx-formats", 0, xlsx(
    '<sheetData><row><c s="1"><v>123</v></c><c s="2"><v>45296.5</v></c><c s="3"><v>60</v></c>'
    '<c s="4"><v>-0.125</v></c><c><v>0.30000000000000004</v></c></row></sheetData>',
    styles='<numFmts><numFmt numFmtId="164" formatCode="00000"/>'
           '<numFmt numFmtId="165" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot; hh:mm:ss"/></numFmts>'
           '<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="165"/><xf numFmtId="14"/>'
           '<xf numFmtId="10"/></cellXfs>', date1904=True))
write("xlsx-merged", 0, xlsx(
    '<sheetData><row r="2"><c r="B2" t="inlineStr"><is><t>合并</t></is></c></row><row/></sheetData>'
    '<mergeCells><mergeCell ref="B2:C4"/></mergeCells>'))
write("ods-repeats", 1, ods(
    '<table:table table:name="名单"><table:table-row><table:table-cell><text:p>张<text:s text:c="2"/>三</text:p>'
    '<text:p>二</text:p></table:table-cell><table:table-cell table:number-columns-repeated="3"/>'
    '<table:table-cell office:value-type="float" office:value="5"/></table:table-row>'
    '<table:table-row table:number-rows-repeated="1000"><table:table-cell/></table:table-row>'
    '<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-spanned="2" '
    'table:number-rows-spanned="2"><text:p>合<text:span>并</text:span></text:p></table:table-cell>'
    '<table:covered-table-cell/></table:table-row></table:table>'
    '<table:table table:name="二"><table:table-row-group><table:table-row><table:table-cell><text:p>乙</text:p>'
    '</table:table-cell></table:table-row></table:table-row-group></table:table>'))
