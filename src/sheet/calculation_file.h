// The Calculation file: lines ending in a carriage return, one for each
// column width other than 9 ("S3:20") and one for each cell whose attribute
// word is not the default ("Z2S1:000000000000F002>Umsatz"). Formulas are
// stored, their values are computed again after loading.
#pragma once

#include "runtime/text.h"

// The file's lines as program codes.
Text CalculationToText();
// Reads a file's lines into the Calculation, which should be empty
// (ClearCalculation). Lines it does not understand are skipped.
void CalculationFromText(const String& text);
// True when the text can be taken for a Calculation file: blank (an empty
// sheet), or with at least one line the reader understands. Any other text
// (a letter, a picture) is refused rather than read as an empty sheet that a
// save would write over it.
bool IsCalculationText(std::string_view text);

// Reads a file's text handed over in parts, cut anywhere, as
// CalculationFromText reads it whole: a large file need not be held in
// memory at once. Lines are first shown to `accept`, whole, one or more at
// a time (with the line ends between them); once it says no, the reader
// stops and Stopped() is true (the Calculation then holds what was read
// before, and the caller should clear it).
class CalculationReader {
public:
    explicit CalculationReader(bool (*accept)(std::string_view line)) : accept_(accept) {}
    void Add(std::string_view part);
    // The text after the last line end.
    void Finish();
    bool Stopped() const { return stopped_; }
    // What IsCalculationText says of the whole text read.
    bool IsCalculation() const { return understood_ || blank_; }

private:
    void Lines(std::string_view lines);
    void Line(std::string_view line);

    bool (*accept_)(std::string_view);
    String rest_;  // a line cut by the end of a part
    bool stopped_ = false;
    bool understood_ = false;
    bool blank_ = true;
};

// The codes as the file's UTF-8: each code the character of that number,
// and an escaped character (27, four hexadecimal digits, 29) that one.
String CalculationFileText(const Text& codes);
void AppendCalculationFileText(String& text, TextView codes);
// The file's text as codes: characters up to 255 as themselves, others up
// to U+FFFF as their escape sequence, the rest as 127.
Text CalculationCodes(std::string_view text);
// The same into `codes`, which it replaces.
void AssignCalculationCodes(Text& codes, std::string_view text);
void AppendCalculationCode(Text& codes, char32_t scalar);
