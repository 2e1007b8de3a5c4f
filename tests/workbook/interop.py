"""What openpyxl makes of a workbook, and a workbook made by openpyxl, for
the interoperation tests of tests/workbook.

  interop.py read FILE.xlsx   one line per cell, tab-separated: name, formula
                              or value, cached value, font colour, fill
                              colour, alignment, number format; then one line
                              "width LETTER WIDTH" per column with a width
  interop.py make FILE.xlsx   the sample workbook the import tests expect
"""
import sys

import openpyxl
from openpyxl.styles import Alignment, Font, PatternFill


def text(value):
    if value is None:
        return ""
    if isinstance(value, float):
        return repr(value)
    return str(value)


def read(path):
    formulas = openpyxl.load_workbook(path).worksheets[0]
    values = openpyxl.load_workbook(path, data_only=True).worksheets[0]
    for row in formulas.iter_rows():
        for cell in row:
            if cell.value is None and cell.fill.fill_type is None:
                continue
            fill = cell.fill.fgColor.rgb if cell.fill.fill_type == "solid" and cell.fill.fgColor.type == "rgb" else ""
            font = cell.font.color.rgb if cell.font.color is not None and cell.font.color.type == "rgb" else ""
            print("\t".join([cell.coordinate, text(cell.value), text(values[cell.coordinate].value),
                             str(font), str(fill), cell.alignment.horizontal or "", cell.number_format]))
    for letter, dimension in sorted(formulas.column_dimensions.items()):
        if dimension.width:
            print("width\t%s\t%r" % (letter, dimension.width))


def make(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet["A1"] = 2.5
    sheet["A1"].font = Font(color="FFFF0000")
    sheet["A1"].fill = PatternFill("solid", fgColor="FFFFFF00")
    sheet["A1"].number_format = "0.00"
    sheet["B1"] = "Grüße"
    sheet["B1"].alignment = Alignment(horizontal="center")
    sheet["C1"] = "=A1*2+SIN(A1)"
    sheet["D1"] = "=ROUND(A1,0)"
    sheet["E1"] = "=SUM(A1,A2)"
    sheet["A2"] = "=LEN(B1)"
    sheet["B2"] = '="x"&B1'
    sheet["C2"] = "=POWER(A1,2)-TRUNC(-A1)"
    sheet["A3"] = "Ünïcødé € 100%"
    sheet["C3"] = 1e20
    sheet["D3"] = -0.125
    sheet["E3"] = True
    sheet["B4"] = "=A1/0"
    sheet.cell(row=2000, column=1, value="weit unten")
    sheet.cell(row=1, column=120, value="weit rechts")
    sheet.column_dimensions["B"].width = 20.7109375
    sheet.column_dimensions["C"].width = 5
    book.save(path)


if __name__ == "__main__":
    {"read": read, "make": make}[sys.argv[1]](sys.argv[2])
