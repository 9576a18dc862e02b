// Random and hostile texts through every item operation: the reader must
// neither leave its image nor stop making progress, whatever it is given.
#include <random>

#include "reader_fixture.h"

namespace {

std::string Hostile_Text(std::mt19937_64& rng) {
    static const std::string pieces[] = {
        "12.5", "-7", "1e", "'", "\"", "\"\"", "~", "/*", "*", "/", ",", ";", " ", "  ", "\t",
        "\r", "\n", "\r\n", "\x01", "\\", "ASCII", "\x91" "ble", "\xB3",
        "$#", "(", ".", "0x1F", "D+03", std::string(600, '7'), std::string(300, 'k')};
    std::string text;
    const std::size_t parts = rng() % 4 == 0 ? 30000 : 1 + rng() % 60;
    for (std::size_t i = 0; i < parts; ++i) text += pieces[rng() % std::size(pieces)];
    if (rng() % 5 == 0) text.insert(rng() % (text.size() + 1), std::string(65530 + rng() % 10, 'x'));
    // A NUL byte ends a text in memory, and 0x1A at a line start a stream.
    if (rng() % 4 == 0) text.insert(rng() % (text.size() + 1), 1, rng() % 2 ? '\0' : '\x1A');
    return text;
}

// The scan position and the line end stay inside the image, and the image
// stays terminated.
void Expect_Sound_Image() {
    ASSERT_GE(Get_.Pos, 0);
    ASSERT_LE(Get_.Pos, Get_.Len + 2);
    ASSERT_LE(Get_.Len, Get_ImageSize);
    ASSERT_EQ(Get_.Image[Get_ImageSize], '\0');
}

class Bad_Input : public Reader {};

TEST_F(Bad_Input, EveryOperationStaysInsideItsBuffers) {
    std::mt19937_64 rng(99);
    const char* const table[] = {"ASCII", "ASC", "BLE", "[BLE", nullptr};
    for (int round = 0; round < 300; ++round) {
        Close_All();
        const std::string text = Hostile_Text(rng);
        Open(text, round % 2 == 0);
        Get_Delimiter(" ;\t\0,"[rng() % 5]);
        Get_Comma(static_cast<int>(rng() % 2));
        if (rng() % 4 == 0) Get_JointChar('\0');
        // Every operation call either moves on in the line or is followed by
        // one that reads the next line: the source must end within this many.
        long steps = 0;
        const long limit = 20 * static_cast<long>(text.size()) + 1000;
        bool ended = false;
        while (!ended && ++steps < limit) {
            ObjectTableField v;
            String s;
            int index;
            switch (rng() % 10) {
                case 0: ended = Get_Line() == nullptr; break;
                case 1: ended = Get_Entry() == nullptr; break;
                case 2: ended = Get_Item() == '\0'; break;
                case 3: Get_Char(); break;
                case 4: Get_Level('('); break;
                case 5: Get_String(s); break;
                case 6:
                    if (rng() % 2)
                        Get_Lookup(&index, table, static_cast<int>(rng() % 2));
                    else
                        Get_Symbol(reinterpret_cast<PINT>(s), nullptr);
                    break;
                case 7: Get_Number(&v.Ival, static_cast<ObjectType>(rng() % 9)); break;
                case 8: Get_Float(&v.Fval); break;
                default: Get_Double(&v.Dval);
            }
            Expect_Sound_Image();
            if (HasFatalFailure()) return;
        }
        EXPECT_TRUE(ended) << "round " << round << ": no end after " << steps << " steps";
    }
}

}  // namespace
