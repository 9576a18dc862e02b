// Token reader: line-oriented text over a stream or a text in memory.
//
// One source is current at a time (the record Get_); opening another one
// suspends it, and up to three suspended sources are kept, each resumed by
// Get_Close at the same line and position. Lines are delivered into a line
// image owned by the library (one buffer of 65536 characters and a NUL per
// nesting level, allocated once); the item readers consume the image from the
// scan position Pos on and move it past the item and the blanks behind it.
//
// All state is process-wide: the library serves one thread.
//
// Conventions of every operation:
//   - an 8-bit result of 0 means that nothing was read; a failed item read
//     leaves the scan position where it was;
//   - the item operations and Get_More need a line image, that is a source
//     opened at least once before;
//   - the library never opens or closes a stream: the caller hands an open
//     stream to Get_Open and closes it itself after Get_Close;
//   - a text given to Get_Buffer is only read and must stay unchanged while
//     it is the source;
//   - numbers are read in the "C" locale (a period as decimal point).
#pragma once

#include <cstdint>
#include <cstdio>

typedef char String[513];
typedef char Num_String[25];

// The value pointer of the generic item readers (Get_Number, Get_Lookup),
// which callers cast their own variables to, and a line image.
typedef int* PINT;
typedef char* PSTR;

// Characters of a line image, and the longest line delivered in one piece.
constexpr int Get_ImageSize = 65536;
// Readable bytes behind the NUL of a line image: scanners may load whole
// words and blocks at any character of the line.
constexpr int Get_ImageSpare = 128;

// The state of one source. A source is open while File or Buffer is set; an
// ended source keeps its line count and settings until it is replaced.
struct Get_File {
    std::FILE* File;     // stream read from, or null
    char* Image;         // line image of the level the source was opened at
    const char* Buffer;  // read position in the caller's text, or null
    std::int32_t Pos;    // index in Image of the next character to consume
    std::int32_t Len;    // end of the line; on a piece, its last character
    std::int32_t Count;  // physical lines delivered so far
    char Delim;          // item delimiter (blank)
    char Joint;          // continuation character ('~')
    char Eof;            // end-of-file character of streams (0x1A), NUL: none
    std::uint8_t Comma;      // set: a comma is an ordinary string character
    std::uint8_t Free_Form;  // set by Get_Entry: items may continue on the next line
    std::uint8_t Overflow;   // the image is a piece of an overlong line
    std::uint8_t Repeat;     // the next Get_Line delivers the image again
};

extern Get_File Get_;             // the current source
extern Get_File Get_Stack[3];     // suspended sources, latest at the top
extern int Get_StackCount;        // suspended sources, 0 to 3
extern char* Image_Stack[4];      // line image of each nesting level

// Thrown by New_Image when memory runs out, after the message
// "malloc - could not allocate <n> bytes" has been printed on stderr. The
// library never ends the process; the driver turns this into exit status 1.
struct Get_OutOfMemory {
    long Bytes;
};

// ---- Line reader -----------------------------------------------------------

// Allocates Size+1 bytes, all NUL, and Get_ImageSpare more behind them.
// Throws Get_OutOfMemory.
char* New_Image(int Size);

// Makes the stream (which may be null) the current source, suspending an open
// one. False, with nothing changed, when four sources are open already.
unsigned char Get_Open(std::FILE* InpFile);
// Makes the NUL-terminated text the current source; as Get_Open.
unsigned char Get_Buffer(const char* Buffer);
// Ends the current source and resumes the last suspended one. Always true.
unsigned char Get_Close();
// Exchanges the current source with the last suspended one; false when none.
unsigned char Get_Swap();

// Reads the next line, or the next piece of an overlong line: a piece holds
// 65535 characters followed by the Joint character, with Overflow set, and
// the rest of the physical line follows as pieces with the same line number.
// Line ends (LF or CR LF) are removed, tabs read as blanks (from streams only
// while the delimiter is not a tab; from texts always, like every other
// control character). A line is a comment line when its first non-blank text
// is "/*". Returns the image, or null at the end of the source.
PSTR Get_Line();
// Reads the next line that has content (skipping the rest of an overlong
// current line, and empty, blank and comment lines) and turns free-form
// reading on. Null at the end of the source.
PSTR Get_Entry();
// Moves the item that begins at index *Start of an overlong piece, and the
// rest of the physical line behind it, to the front of the image, so that the
// item is not cut in two. Afterwards *Start is 0 and Pos is just past the
// characters already scanned. Does nothing unless the image is a piece and
// *Start lies within it.
void Get_Rest(PINT Start);

// Header lines are read with Get_Line as whole lines, however long. Get_Front
// prepares an overlong one: pieces holding only blanks are passed, and the
// line from its first item on is moved to the front of the image with the
// rest of the physical line read behind it (Pos 0). Nothing changes for a
// line that fits the image. Items are still cut only when the text from the
// first item on is longer than a piece.
void Get_Front();
// True when nothing but blanks or a comment is left of the current line,
// counting every piece of an overlong one; the pieces read for that are used
// up, so that the next Get_Line reads the next physical line and a stream
// stands right behind this line's end.
unsigned char Get_Done();

long Get_LineNo();        // physical lines delivered so far
int Get_LinePos();        // scan position
int Get_LineLen();        // Len
PSTR Get_LineImage();     // the line image
// Moves the scan position within the current line image (0 to Len, or to
// the NUL behind a piece); for scanners that cut items themselves.
void Get_SetPos(int Pos);
// The line counts as used up, and the next Get_Line delivers it again.
void Get_Reset();
void Get_Delimiter(int Delim);
void Get_Comma(int YesNo);
void Get_JointChar(int Joint);
void Get_EofChar(int Eof);          // NUL: no end-of-file character
unsigned char Get_Overflow();
// The character at the scan position: NUL when the line is used up.
char Get_More();

// ---- Item scanner ----------------------------------------------------------

// Look-ahead: moves to the next line with content when the current one is
// used up (through Get_Entry) and returns the character there; NUL at the end.
char Get_Item();
// Consumes one character; NUL when the line is used up or a comment begins.
char Get_Char();
// Consumes a run of the character Cval (blanks allowed between) and returns
// its length.
int Get_Level(int Cval);
// Reads a string item, plain or quoted, into Sval and returns its length.
// Sval must hold a String: a longer string is consumed whole but only its
// first 512 characters are kept.
int Get_String(char* Sval);

// ---- Keyword lookup --------------------------------------------------------

// Folds 0x80..0xFF (code page 865 and ISO 8859-1 letters) to 7-bit letters;
// '?' marks a code that is no letter.
extern const char Eight2Seven[128];

// 0 no match, 1 equal (case and national letters folded, trailing blanks
// ignored), 2 or more the distance of a near miss (only when nearest is set).
int Item_Compare(const char* lpStr, const char* rpStr, int nearest);
// Reads an identifier and finds it in Table (a null-terminated array of at
// most 255 entries). Returns the entry's index + 1, storing the index in
// *Sval, or 0 with Pos unchanged. Without a table, Sval stands for a String
// that receives the identifier and the result is its length. Identifiers
// longer than 512 characters (255 without a table) are refused.
unsigned char Get_Lookup(PINT Sval, const char* const* Table, int Nearest);
unsigned char Get_Symbol(PINT Sval, const char* const* Table);  // exact
unsigned char Get_Almost(PINT Sval, const char* const* Table);  // unique nearest

// ---- Number reader ---------------------------------------------------------

enum ObjectType {
    Ftype,  // 32-bit float, "%f"
    Dtype,  // 64-bit double, "%lf", also with a "D" exponent
    Itype,  // 32-bit int, "%ld"
    Ltype,  // 32-bit long, "%ld"
    Ctype,  // character: only an empty field is accepted
    Stype,  // string: only an empty field is accepted
    Xtype,  // 32-bit long written in hexadecimal, "%lx"
    Wtype,  // 32-bit unsigned int, "%ld", negative values refused
    Otype   // 32-bit long written in octal, "%lo"
};

union ObjectTableField {
    float Fval;
    double Dval;
    std::int32_t Ival;
    std::int32_t Lval;
    char Cval;
    char Sval[1];
    std::int32_t Xval;
    std::int32_t Oval;
    std::uint32_t Wval;
};

// Reads one number item of the kind given into *Val (which points to the
// member of an ObjectTableField that matches the kind). Quoted numbers and
// empty fields between commas (read as zero) are accepted; every character
// of the item must belong to the number. False, with Pos unchanged, when no
// value was read; as with the C conversion, a number read before characters
// that made the read fail has already been stored.
unsigned char Get_Number(PINT Val, ObjectType Type);
unsigned char Get_Int(PINT Ival);
unsigned char Get_Word(std::uint32_t* Wval);
unsigned char Get_Long(std::int32_t* Lval);
unsigned char Get_Hex(std::int32_t* Lval);
unsigned char Get_Octal(std::int32_t* Lval);
unsigned char Get_Float(float* Fval);
unsigned char Get_Double(double* Dval);

// The number reader's direct path, for scanners of long runs of numbers:
// cuts the number text that starts at Text (the characters a number item is
// made of) and, when it is a plain text the direct path converts (Ftype,
// Dtype, Itype or Ltype), stores the value Get_Number would store for it and
// returns the end of the text. Null, with nothing stored, for every other
// text: the caller reads that one through Get_Number. The scan position is
// not used or moved.
const char* Get_Fast_Number(const char* Text, ObjectType Type, PINT Val);

// Converts a cut number text of Length characters exactly as the formatted
// input conversion of its kind would ("%f%s", "%lf%s" with the "D" exponent
// rule, "%ld%s", "%lx%s", "%lo%s"; long values wrap to 32 bits), storing
// the value into *Val. True when a number was converted and nothing of the
// text remained. Texts longer than 512 characters are refused.
unsigned char Get_Convert(const char* Text, int Length, ObjectType Type, PINT Val);
