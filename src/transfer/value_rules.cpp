#include "transfer/value_rules.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

#include "core/swap.h"
#include "geometry/ftoi.h"
#include "transfer/number_text.h"

namespace {

// Output kinds of the kernels.
constexpr int Out_Text = 0;
constexpr int Out_Short = 1;
constexpr int Out_Float = 2;

using Rules = Cell_Converter::Rules;

// Integer results keep their low 16 bits.
inline int16_t Low16(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// Four floats, or four 32-bit integers, in one vector register: the plain
// float path takes cells four at a time. The float rules below are written
// once for a float and for four (a comparison of four gives a mask of four).
typedef float Float_Lanes __attribute__((vector_size(16)));
typedef int32_t Int_Lanes __attribute__((vector_size(16)));
using Bit_Lanes = Word_Lanes;
typedef int16_t Short_Lanes __attribute__((vector_size(8)));           // four 2-byte cells
typedef int16_t Wide_Short_Lanes __attribute__((vector_size(16)));     // eight
typedef uint16_t Short_Bit_Lanes __attribute__((vector_size(16)));

// NaN, slot 0 and the filled slots (unused slots repeat slot 0). Most runs
// have one undefined value: the other slots are only compared when one of
// them can match a value slot 0 does not.
template <typename F>
inline auto Float_Undefined(const Rules& r, F f) {
    auto undef = (f != f) | (f == r.fundef[0]);
    if (r.more_fundef) undef |= (f == r.fundef[1]) | (f == r.fundef[2]) | (f == r.fundef[3]);
    return undef;
}

// A float that became the marker or slot 0 on the way is written as the
// output undefined value too.
template <typename F>
inline auto Float_Output_Undefined(const Rules& r, F f) {
    return (f == Float_NaN) | (f == r.fundef[0]);
}

// The sign rule of the float chain; zero keeps its sign.
template <typename F>
inline F Float_Sign(const Rules& r, F f) {
    return r.negate ? F(f != 0 ? -f : f) : f;
}

// Bits of a float that order as the float does (NaN aside), -0 just below
// 0; the same turn gives the float's bits back.
template <typename I>
inline I Order_Key(I bits) {
    return bits ^ ((bits >> 31) & INT32_MAX);
}

// The byte swap of eight 2-byte cells (of four 4-byte cells: Swap_Lanes of
// the byte order helpers).
inline Short_Bit_Lanes Swap_Lanes(Short_Bit_Lanes x) { return (x << 8) | (x >> 8); }

// Slot 0 and the filled slots; as for floats, the other slots are only
// compared when one of them differs from slot 0.
template <typename I>
inline auto Int_Undefined(const Rules& r, I i) {
    auto undef = i == r.iundef[0];
    if (r.more_iundef) undef |= (i == r.iundef[1]) | (i == r.iundef[2]) | (i == r.iundef[3]);
    return undef;
}

// An integer that is slot 0 on the way out is written as the output
// undefined value.
template <typename I>
inline auto Int_Output_Undefined(const Rules& r, I i) {
    return i == r.iundef[0];
}

// The sign rule of a 2-byte value, widened (16-bit output keeps the low 16
// bits).
template <typename I>
inline I Int_Sign(const Rules& r, I i) {
    return r.negate ? I(-i) : i;
}

// Heights are zeroed (> 0), or depths after -m/-mm (< 0).
template <typename T>
inline bool Zero_Hit(const Rules& r, T v) {
    return r.hit_below ? v < 0 : v > 0;
}

inline double Log_Of(const Rules& r, double magnitude) {
    return r.log_base == 10.0f ? std::log10(magnitude)
                               : std::log(magnitude) / r.ln_base;
}

// Zero rule, scale and logarithm of the float chain.
inline float Float_Rules(const Rules& r, float f) {
    if (r.zero && Zero_Hit(r, f)) {
        f = r.zero2 ? Float_NaN : 0.0f;
    } else if (r.scale != 0) {
        f = f * r.scale;
    }
    if (r.log_base != 0 && f != Float_NaN) {
        if (f > 0)
            f = static_cast<float>(Log_Of(r, f));
        else if (f < 0)
            f = static_cast<float>(-Log_Of(r, -static_cast<double>(f)));
        else
            f = Float_NaN;  // zero, or a NaN
    }
    return f;
}

// Zero rule, scale and logarithm of the integer chain.
inline int16_t Int_Rules(const Rules& r, int16_t i) {
    if (r.zero && Zero_Hit(r, i) && !(r.guard_undef && i == r.iundef[0])) {
        i = r.zero2 ? r.iundef[0] : int16_t{0};
    } else if (r.scale != 0) {
        i = Low16(ftoi(static_cast<float>(i) * r.scale));
    }
    if (r.log_base != 0 && i != r.iundef[0]) {
        if (i == 0) {
            i = r.iundef[0];
        } else {
            const int64_t t = trunc32(Log_Of(r, std::abs(static_cast<int>(i))));
            i = Low16(i > 0 ? t : -t);
        }
    }
    return i;
}

// Float input to 2-byte output. A global dataset changes sign with halves
// rounded toward zero; other inputs round by ftoi.
inline int16_t Float_To_Short(const Rules& r, float f) {
    if (r.times10) f = f * 10.0f;
    int64_t v;
    if (r.global) {
        const int64_t t = trunc32(0.4999999 + std::fabs(static_cast<double>(f)));
        v = f > 0 ? -t : t;
    } else {
        v = ftoi(f);
    }
    int16_t i = Low16(v);
    if (r.minus) i = Low16(-static_cast<int32_t>(i));
    return i;
}

template <CellType In>
inline float Load_Float(const Rules& r, const unsigned char* p) {
    if constexpr (In == CellType::Float) {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    } else {
        using Raw = std::conditional_t<In == CellType::Grd98Short, int16_t, int32_t>;
        Raw raw;
        std::memcpy(&raw, p, sizeof raw);
        if (raw == r.empty) return r.fundef[0];
        return r.decode10 ? static_cast<float>(raw) * 0.1f : static_cast<float>(raw);
    }
}

inline char* Put_Short_BE(char* p, int16_t v) {
    const auto u = static_cast<uint16_t>(v);
    p[0] = static_cast<char>(u >> 8);
    p[1] = static_cast<char>(u & 0xFF);
    return p + 2;
}

inline char* Put_Float_BE(char* p, float v) {
    const uint32_t u = __builtin_bswap32(std::bit_cast<uint32_t>(v));
    std::memcpy(p, &u, 4);
    return p + 4;
}

// Thirteen values a line.
inline char* Put_Separator(char* p, int& k) {
    const bool line_end = ++k == 13;
    *p = line_end ? '\n' : ' ';
    k = line_end ? 0 : k;
    return p + 1;
}

inline char* Put_Undefined_Text(char* p, const Rules& r) {
    std::memcpy(p, r.nan_str, r.nan_len);
    return p + r.nan_len;
}

struct Ranges {
    float min, max, fmin, fmax;
    int16_t imin, imax;

    void Take(float v) { Widen(min, max, v); }

    template <class T>
    static void Widen(T& low, T& high, T v) {
        if (v < low) low = v;
        if (v > high) high = v;
    }
};

// Final value of the float chain: write or collect it. `recheck` tells
// whether the chain may have changed the value since `undef` was settled.
template <int Out, bool Check>
inline char* Emit_Float(const Rules& r, char* p, float f, bool undef, bool recheck, Ranges& g,
                        int& k) {
    if constexpr (Check) {
        if (!undef && !Float_Output_Undefined(r, f)) Ranges::Widen(g.fmin, g.fmax, f);
        return p;
    } else if constexpr (Out == Out_Float) {
        if (undef || Float_Output_Undefined(r, f)) return Put_Float_BE(p, r.oundef);
        if (f != r.oundef) g.Take(f);
        return Put_Float_BE(p, f);
    } else {
        p = Put_Separator(p, k);
        if (undef || f == Float_NaN || (recheck && Float_Undefined(r, f))) return Put_Undefined_Text(p, r);
        if (r.ioption) {
            const int16_t i = Low16(ftoi(f));
            if (i != r.oundef_trunc) g.Take(i);
            return number_text::Put_Int(p, i);
        }
        if (f != r.oundef) g.Take(f);
        return number_text::Put_Float(p, f);
    }
}

// Final value of the integer chain: write or collect it.
template <int Out, bool Check>
inline char* Emit_Int(const Rules& r, char* p, int16_t i, bool undef, Ranges& g,
                      int& k) {
    if constexpr (Check) {
        if (!undef && !Int_Output_Undefined(r, i)) Ranges::Widen(g.imin, g.imax, i);
        return p;
    } else if constexpr (Out == Out_Short) {
        if (undef || Int_Output_Undefined(r, i)) return Put_Short_BE(p, Low16(r.oundef_trunc));
        if (i != r.oundef_trunc) g.Take(i);
        return Put_Short_BE(p, i);
    } else {
        p = Put_Separator(p, k);
        if (undef || Int_Undefined(r, i)) return Put_Undefined_Text(p, r);
        if (i != r.oundef_trunc) g.Take(i);
        return number_text::Put_Int(p, i);
    }
}

void Set_Nan_Text(RunState& run) {
    std::snprintf(run.NaN_Text, sizeof run.NaN_Text, "%1.8g", static_cast<double>(run.Oundef));
    run.NaN_str = run.NaN_Text;
}

// The value an undefined cell of the output holds: a 2-byte cell keeps the
// low 16 bits of the truncated value.
float Held_Undefined(const RunState& run) {
    if (run.ShortOut && !run.Ascii) return static_cast<float>(Low16(trunc32(run.Oundef)));
    return run.Oundef;
}

// The nodata text of an ESRI output must name the value the undefined cells
// hold, read as a double as well as a float: a text beyond the float range
// (the lowest float printed to 8 digits, say) matches no cell for a reader
// that compares doubles. Such a text, and one naming another value, gives
// way to the held value's exact digits.
void Settle_Nodata_Text(RunState& run) {
    const float held = Held_Undefined(run);
    if (held != held) {
        run.NaN_str = "nan";
        return;
    }
    char* end = nullptr;
    const double read = std::strtod(run.NaN_str, &end);
    while (end != run.NaN_str && isspace(static_cast<unsigned char>(*end))) ++end;
    const bool exact = end != run.NaN_str && *end == '\0' && std::fabs(read) <= FLT_MAX &&
                       static_cast<float>(read) == held;
    if (exact) return;
    std::snprintf(run.NaN_Text, sizeof run.NaN_Text, "%1.17g", static_cast<double>(held));
    run.NaN_str = run.NaN_Text;
}

}  // namespace

CellType Input_Cell_Type(const RunState& run) {
    const int32_t type = run.GRD98_Inp_Header.Number_Type;
    if (run.Input() == RunState::InputKind::GRD98 && run.FloatInp && type > 0)
        return type == 2 ? CellType::Grd98Short : CellType::Grd98Long;
    return run.FloatInp ? CellType::Float : CellType::Short;
}

void Settle_ShortOut(RunState& run) {
    if (run.FloatInp && !run.VTKin && (run.GRD98out || run.ESRIout)) run.ShortOut = 0;
}

void Settle_Output_Defaults(RunState& run) {
    const RunState::InputKind kind = run.Input();
    const bool given = Oundef_Given(run);

    if (!run.GRD98out && !run.ESRIout) {  // VTK output
        if (given) {
            run.NaN_str = run.NaN_par;
        } else if (run.ShortOut) {
            run.Oundef = -32768;
            run.NaN_str = "-32768";
        } else {
            run.Oundef = Float_NaN;
        }
        if (kind == RunState::InputKind::VTK) {
            Free_Undefined_Slot0(run);
            run.Iundef[0] = -32768;
            run.Fundef[0] = Float_NaN;
        }
        return;
    }

    if (kind == RunState::InputKind::Global) {
        const bool text = run.Ascii && !run.GRD98out;
        if (!given) run.Oundef = -32768;
        if (text || run.ESRIout) {
            // ESRI Float names its nodata value in the header, so the text
            // must be the value the undefined cells really hold.
            run.NaN_str = given ? run.NaN_par : "-32768";
        } else {
            run.NaN_str = "NaN";
        }
    } else {
        const GRD98_Header& h = run.GRD98_Inp_Header;
        // The ESRI reader already moved the -x values out of slot 0 when it
        // stored the header's nodata value there.
        if (kind != RunState::InputKind::ESRI) Free_Undefined_Slot0(run);
        if (given) {
            run.NaN_str = run.NaN_par;
        } else if (kind == RunState::InputKind::GRD98) {
            run.Oundef = h.Number_Type > 0 ? static_cast<float>(h.Empty_Grid_Cell_Value)
                                           : std::bit_cast<float>(h.Empty_Grid_Cell_Value);
            Set_Nan_Text(run);
        } else if (kind == RunState::InputKind::ESRI && run.ESRIout) {
            run.Oundef = run.Fundef[0];
            Set_Nan_Text(run);
        } else {
            run.Oundef = -32768;
            run.NaN_str = "-32768";
        }
        if (kind == RunState::InputKind::VTK || kind == RunState::InputKind::KMS2002) {
            run.Iundef[0] = -32768;
            run.Fundef[0] = Float_NaN;
        } else if (kind == RunState::InputKind::GRD98) {
            run.Iundef[0] = Low16(h.Empty_Grid_Cell_Value);
            if (h.Number_Type <= 0) run.Fundef[0] = std::bit_cast<float>(h.Empty_Grid_Cell_Value);
        }
    }
    if (run.ESRIout) Settle_Nodata_Text(run);
    run.UpperOut = 1;
}

template <CellType In, int Out, bool Check, bool Apply>
size_t Cell_Converter::Run(Cell_Converter& self, const void* cells, size_t count,
                           char* out) {
    const Rules r = self.rules_;
    constexpr size_t step = In == CellType::Short || In == CellType::Grd98Short ? 2 : 4;
    const auto* in = static_cast<const unsigned char*>(cells);
    char* p = out;
    int k = self.k_;
    Ranges g{self.min_, self.max_, self.fmin_, self.fmax_, self.imin_, self.imax_};

    for (size_t n = 0; n < count; ++n, in += step) {
        if constexpr (In == CellType::Short) {
            int16_t i;
            std::memcpy(&i, in, 2);
            const bool undef = Int_Undefined(r, i);
            if constexpr (Out == Out_Float) {  // float chain from a 2-byte value
                float f = 0;
                if (!undef) {
                    f = static_cast<float>(Int_Sign(r, int32_t{i}));
                    if constexpr (Apply) f = Float_Rules(r, f);
                }
                p = Emit_Float<Out, Check>(r, p, f, undef, true, g, k);
            } else {
                if (!undef) {
                    i = Low16(Int_Sign(r, int32_t{i}));
                    if constexpr (Apply) i = Int_Rules(r, i);
                }
                p = Emit_Int<Out, Check>(r, p, i, undef, g, k);
            }
        } else {
            float f = Load_Float<In>(r, in);
            const bool undef = Float_Undefined(r, f);
            if constexpr (Out == Out_Short) {  // integer chain from a float
                int16_t i = 0;
                if (!undef) {
                    i = Float_To_Short(r, f);
                    if constexpr (Apply) i = Int_Rules(r, i);
                }
                p = Emit_Int<Out, Check>(r, p, i, undef, g, k);
            } else {
                if (!undef) {
                    f = Float_Sign(r, f);
                    if constexpr (Apply) f = Float_Rules(r, f);
                }
                p = Emit_Float<Out, Check>(r, p, f, undef, Apply || r.negate, g, k);
            }
        }
    }

    self.k_ = k;
    self.min_ = g.min;
    self.max_ = g.max;
    self.fmin_ = g.fmin;
    self.fmax_ = g.fmax;
    self.imin_ = g.imin;
    self.imax_ = g.imax;
    return static_cast<size_t>(p - out);
}

namespace {

// The lanes of a plain kernel: four cells on the float chain or from float
// input (32-bit lanes), eight from 2-byte cells to 2-byte cells.
template <CellType In, int Out>
using Key_Lanes = std::conditional_t<In == CellType::Short && Out == Out_Short, Wide_Short_Lanes, Int_Lanes>;

template <typename Lanes>
constexpr size_t Width = sizeof(Lanes) / sizeof(Lanes{}[0]);

// Cells of a plain kernel on their way: the value after the sign rule and
// the cells the input leaves undefined.
template <typename Key>
struct Lane_Cells {
    Float_Lanes f;  // float chain
    Key i;          // integer chain
    Key undef;
};

template <CellType In, int Out>
inline Lane_Cells<Key_Lanes<In, Out>> Load_Lanes(const Rules& r, const unsigned char* in) {
    Lane_Cells<Key_Lanes<In, Out>> c{};
    if constexpr (In == CellType::Float) {
        std::memcpy(&c.f, in, sizeof c.f);
        c.undef = Float_Undefined(r, c.f);
        c.f = Float_Sign(r, c.f);
    } else if constexpr (Out == Out_Float) {
        Short_Lanes stored;
        std::memcpy(&stored, in, sizeof stored);
        const Int_Lanes i = __builtin_convertvector(stored, Int_Lanes);
        c.undef = Int_Undefined(r, i);
        c.f = __builtin_convertvector(Int_Sign(r, i), Float_Lanes);
    } else {
        std::memcpy(&c.i, in, sizeof c.i);
        c.undef = Int_Undefined(r, c.i);
        // The low 16 bits of the signed value: 16-bit lanes wrap as unsigned.
        c.i = std::bit_cast<Wide_Short_Lanes>(Int_Sign(r, std::bit_cast<Short_Bit_Lanes>(c.i)));
    }
    return c;
}

// The range of the lanes: keys of the lowest and highest value taken (the
// float's ordered bits, or the integer), and which lanes took any.
template <typename Key>
struct Lane_Range {
    using Element = std::remove_cvref_t<decltype(Key{}[0])>;
    static constexpr Element top = std::numeric_limits<Element>::max(), bottom = std::numeric_limits<Element>::min();
    Key low = Key{} + top, high = Key{} + bottom, any = {};

    void Take(Key key, Key taken) {
        low = (taken & (key < low)) ? key : low;
        high = (taken & (key > high)) ? key : high;
        any |= taken;
    }

    bool Any() const {
        Element found = 0;
        for (size_t lane = 0; lane < Width<Key>; ++lane) found |= any[lane];
        return found != 0;
    }

    Element Lowest() const {
        Element found = top;
        for (size_t lane = 0; lane < Width<Key>; ++lane) found = std::min<Element>(found, low[lane]);
        return found;
    }

    Element Highest() const {
        Element found = bottom;
        for (size_t lane = 0; lane < Width<Key>; ++lane) found = std::max<Element>(found, high[lane]);
        return found;
    }
};

// The value of a lane key, for a range kept in floats.
template <int Out>
inline float Key_Value(int32_t key) {
    if constexpr (Out == Out_Float) return std::bit_cast<float>(Order_Key(key));
    return static_cast<float>(key);
}

}  // namespace

// Cells with no rule but the sign to big-endian cells, or their range in the
// check pass: the cells and range of the general chain (the common binary
// paths), several cells at a time in vector code. Each lane keeps its own
// range, and the lanes are merged at the end; the general chain takes the
// cells behind the last full set of lanes, and the whole call again in the
// rare case that only it can tell: a float range that comes to zero keeps
// the sign of the first zero taken.
template <CellType In, int Out, bool Check>
size_t Cell_Converter::Run_Plain(Cell_Converter& self, const void* cells, size_t count, char* out) {
    using Key = Key_Lanes<In, Out>;
    constexpr size_t width = Width<Key>;
    const Rules r = self.rules_;
    constexpr size_t in_step = In == CellType::Float ? 4 : 2, out_step = Out == Out_Float ? 4 : 2;
    const auto* in = static_cast<const unsigned char*>(cells);
    // Spread by hand: 0 + -0 would lose the sign of an undefined value -0.
    const Float_Lanes oundef = {r.oundef, r.oundef, r.oundef, r.oundef};
    const Key oundef_low16 = Key{} + Low16(r.oundef_trunc);
    // A value beyond 16 bits equals no 2-byte cell.
    const bool oundef_fits = r.oundef_trunc == Low16(r.oundef_trunc);
    Lane_Range<Key> range;
    const size_t lanes_end = count - count % width;
    for (size_t n = 0; n < lanes_end; n += width) {
        const Lane_Cells<Key> c = Load_Lanes<In, Out>(r, in + in_step * n);
        if constexpr (Out == Out_Float) {
            const Int_Lanes undef = c.undef | Float_Output_Undefined(r, c.f);
            const Float_Lanes cell = undef ? oundef : c.f;
            range.Take(Order_Key(std::bit_cast<Int_Lanes>(cell)), Check ? ~undef : ~undef & (c.f != r.oundef));
            const Bit_Lanes bits = Swap_Lanes(std::bit_cast<Bit_Lanes>(cell));
            if (!Check) std::memcpy(out + out_step * n, &bits, sizeof bits);
        } else {
            const Key undef = c.undef | Int_Output_Undefined(r, c.i);
            const Key cell = undef ? oundef_low16 : c.i;
            const Key other = oundef_fits ? Key(c.i != oundef_low16) : ~Key{};
            range.Take(cell, Check ? ~undef : ~undef & other);
            const auto bits = Swap_Lanes(__builtin_convertvector(cell, Short_Bit_Lanes));
            if (!Check) std::memcpy(out + out_step * n, &bits, sizeof bits);
        }
    }

    if (range.Any() && Check && Out == Out_Short) {
        self.imin_ = std::min<int32_t>(self.imin_, range.Lowest());
        self.imax_ = std::max<int32_t>(self.imax_, range.Highest());
    } else if (range.Any()) {
        float& min = Check ? self.fmin_ : self.min_;
        float& max = Check ? self.fmax_ : self.max_;
        const float low = Key_Value<Out>(range.Lowest()), high = Key_Value<Out>(range.Highest());
        const bool zero_comes = (low < min && low == 0) || (high > max && high == 0);
        if (Out == Out_Float && zero_comes) return Run<In, Out, Check, false>(self, cells, count, out);
        if (low < min) min = low;
        if (high > max) max = high;
    }
    return (Check ? 0 : out_step * lanes_end) +
           Run<In, Out, Check, false>(self, in + in_step * lanes_end, count - lanes_end, out + out_step * lanes_end);
}

Cell_Converter::Cell_Converter(RunState& run)
    : run_(run),
      min_(run.Min_value),
      max_(run.Max_value),
      fmin_(run.Fmin),
      fmax_(run.Fmax),
      imin_(run.Imin),
      imax_(run.Imax) {
    const CellType in = Input_Cell_Type(run);
    const bool check = run.Check != 0;
    const int out = run.Ascii && !run.GRD98out && !check ? Out_Text
                    : run.ShortOut                      ? Out_Short
                                                        : Out_Float;
    const GRD98_Header& inp = run.GRD98_Inp_Header;

    Rules& r = rules_;
    r.global = run.Global();
    r.minus = run.Minus != 0;
    r.negate = r.minus != r.global;
    r.zero = run.Zero != 0;
    r.zero2 = run.Zero2 != 0;
    r.hit_below = run.Minus || run.Altitudes;
    r.guard_undef = in == CellType::Short && out == Out_Short;
    r.times10 = run.GRD98out && !check && run.GRD98_Out_Header.Precision == 10;
    r.ioption = run.Ioption != 0;
    r.decode10 = inp.Precision == 10;
    r.empty = inp.Empty_Grid_Cell_Value;
    r.scale = run.Scale;
    r.log_base = run.LogBase;
    r.ln_base = std::log(static_cast<double>(run.LogBase));
    const int filled = std::clamp(run.Nundef, 1, 4);
    r.more_fundef = r.more_iundef = false;
    for (int s = 0; s < 4; ++s) {
        r.fundef[s] = s < filled ? run.Fundef[s] : run.Fundef[0];
        r.iundef[s] = s < filled ? run.Iundef[s] : run.Iundef[0];
        // A NaN slot matches nothing; an equal one nothing slot 0 misses.
        const float u = r.fundef[s];
        if (u == u && u != r.fundef[0]) r.more_fundef = true;
        if (r.iundef[s] != r.iundef[0]) r.more_iundef = true;
    }
    r.oundef = run.Oundef;
    r.oundef_trunc = trunc32(run.Oundef);
    r.nan_str = run.NaN_str ? run.NaN_str : "";
    r.nan_len = std::strlen(r.nan_str);

    const bool apply = r.zero || r.scale != 0 || r.log_base != 0;
    auto pick = [&]<CellType In>() -> Kernel {
        // With no rule but the sign, the binary cells of the plain kernels.
        constexpr bool plain_input = In == CellType::Float || In == CellType::Short;
        if constexpr (plain_input) {
            const bool plain_output = out == Out_Float || (out == Out_Short && In == CellType::Short);
            if (!apply && plain_output) {
                if (out == Out_Float) return check ? &Run_Plain<In, Out_Float, true> : &Run_Plain<In, Out_Float, false>;
                if constexpr (In == CellType::Short)
                    return check ? &Run_Plain<In, Out_Short, true> : &Run_Plain<In, Out_Short, false>;
            }
        }
        if (check) {
            if (out == Out_Short)
                return apply ? &Run<In, Out_Short, true, true> : &Run<In, Out_Short, true, false>;
            return apply ? &Run<In, Out_Float, true, true> : &Run<In, Out_Float, true, false>;
        }
        switch (out) {
        case Out_Text:
            return apply ? &Run<In, Out_Text, false, true> : &Run<In, Out_Text, false, false>;
        case Out_Short:
            return apply ? &Run<In, Out_Short, false, true> : &Run<In, Out_Short, false, false>;
        default:
            return apply ? &Run<In, Out_Float, false, true> : &Run<In, Out_Float, false, false>;
        }
    };
    switch (in) {
    case CellType::Short: kernel_ = pick.template operator()<CellType::Short>(); break;
    case CellType::Float: kernel_ = pick.template operator()<CellType::Float>(); break;
    case CellType::Grd98Short: kernel_ = pick.template operator()<CellType::Grd98Short>(); break;
    case CellType::Grd98Long: kernel_ = pick.template operator()<CellType::Grd98Long>(); break;
    }

    // The float text may leave scratch bytes behind its end, which the next
    // value overwrites.
    if (out == Out_Text)
        cell_bytes_ = 1 + std::max(number_text::Float_Room, r.nan_len);
    else
        cell_bytes_ = out == Out_Short ? 2 : 4;
}

size_t Cell_Converter::Convert(const void* cells, size_t count, char* out) {
    return kernel_(*this, cells, count, out);
}

size_t Cell_Converter::Max_Cell_Bytes() const { return cell_bytes_; }

void Cell_Converter::End_Row() { k_ = 12; }

void Cell_Converter::Finish() {
    run_.Min_value = min_;
    run_.Max_value = max_;
    run_.Fmin = fmin_;
    run_.Fmax = fmax_;
    run_.Imin = imin_;
    run_.Imax = imax_;
}
