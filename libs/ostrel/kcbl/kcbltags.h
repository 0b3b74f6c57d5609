// Type tags of typed items and the compile-time check of the lists that follow them.
//
// A list is written as in the C original, a tag before each value and KEND after the last:
//   kcbl.NewItem("Bet", KLONG, seat, KMONEY, &amount, KSTRING, name, KEND);
//   kcbl.GetItem("Bet", KLONG, &seat, KMONEY, &amount, KSTRING, 31, name, KEND);
// Each tag is its own type that still converts to its 32-bit word, so a list whose values do not
// fit their tags, or that lacks KEND, does not compile instead of reading garbage at run time.
//
//   tag          NewItem takes                      GetItem takes
//   KBOOL        integer or bool                    int32_t*
//   KLONG        integer (kept as 32 bits)          int32_t*
//   KULONG       integer (kept as 32 bits)          uint32_t*
//   KDOUBLE      float or double                    double*
//   KSTRING      const char*                        maximum length (integer), char*
//   KMONEY       const CHugeFixedPoint<10,10>*      CHugeFixedPoint<10,10>*
//   K...ARRAY    count (integer), const T*          count (integer), T*
//                (T: int32_t for bools and longs, uint32_t, double, CHugeFixedPoint<10,10>)
#pragma once

#include <cstdint>
#include <type_traits>

template <int I, int D>
class CHugeFixedPoint;
using TKCBLMoney = CHugeFixedPoint<10, 10>;

template <uint32_t N>
struct TKCBLTag {
  static constexpr uint32_t value = N;
  constexpr operator uint32_t() const { return N; }
};

inline constexpr TKCBLTag<0x10000000> KEND{};
inline constexpr TKCBLTag<0x10000001> KBOOL{};
inline constexpr TKCBLTag<0x10000002> KLONG{};
inline constexpr TKCBLTag<0x10000003> KULONG{};
inline constexpr TKCBLTag<0x10000004> KDOUBLE{};
inline constexpr TKCBLTag<0x10000005> KSTRING{};
inline constexpr TKCBLTag<0x10000006> KMONEY{};
inline constexpr TKCBLTag<0x10000007> KBOOLARRAY{};
inline constexpr TKCBLTag<0x10000008> KLONGARRAY{};
inline constexpr TKCBLTag<0x10000009> KULONGARRAY{};
inline constexpr TKCBLTag<0x1000000A> KDOUBLEARRAY{};
inline constexpr TKCBLTag<0x1000000B> KMONEYARRAY{};
// Used inside the library: "the first tag is in the list".
inline constexpr uint32_t KCBL_FIRSTTAG = 0x1000000C;

// One argument of a checked list, as the library walks it.
struct SKCBLWord {
  uint32_t m_Tag;  // a tag word, or 0 for a value
  int64_t m_Int;
  double m_Double;
  const void* m_Ptr;
};

namespace kcbl_detail {
template <class T>
inline constexpr bool kIsTag = false;
template <uint32_t N>
inline constexpr bool kIsTag<TKCBLTag<N>> = true;

template <class T>
inline constexpr bool kIsInt = (std::is_integral_v<T> && !std::is_same_v<T, bool>) || std::is_enum_v<T>;
template <class T>
inline constexpr bool kIsBool = std::is_integral_v<T> || std::is_enum_v<T>;
template <class T>
inline constexpr bool kIsText = std::is_same_v<T, const char*> || std::is_same_v<T, char*> ||
                                std::is_null_pointer_v<T>;
// A source pointer (const or not) or a destination pointer (not const) to exactly E.
template <class T, class E>
inline constexpr bool kIsSrc = std::is_same_v<T, const E*> || std::is_same_v<T, E*>;
template <class T, class E>
inline constexpr bool kIsDst = std::is_same_v<T, E*>;

template <bool Get, class T, class E>
inline constexpr bool kIsPtr = Get ? kIsDst<T, E> : kIsSrc<T, E>;

// The value after a tag that takes one argument.
template <bool Get, uint32_t N, class V>
constexpr bool OneFits() {
  if constexpr (N == KBOOL) return Get ? kIsDst<V, int32_t> : kIsBool<V>;
  else if constexpr (N == KLONG) return Get ? kIsDst<V, int32_t> : kIsInt<V>;
  else if constexpr (N == KULONG) return Get ? kIsDst<V, uint32_t> : kIsInt<V>;
  else if constexpr (N == KDOUBLE) return Get ? kIsDst<V, double> : std::is_floating_point_v<V>;
  else if constexpr (N == KSTRING) return kIsText<V>;
  else if constexpr (N == KMONEY) return kIsPtr<Get, V, TKCBLMoney>;
  else return false;
}

// The pointer after the count of a tag that takes two arguments.
template <bool Get, uint32_t N, class V>
constexpr bool TwoFits() {
  if constexpr (N == KSTRING) return Get && kIsDst<V, char>;
  else if constexpr (N == KBOOLARRAY || N == KLONGARRAY) return kIsPtr<Get, V, int32_t>;
  else if constexpr (N == KULONGARRAY) return kIsPtr<Get, V, uint32_t>;
  else if constexpr (N == KDOUBLEARRAY) return kIsPtr<Get, V, double>;
  else if constexpr (N == KMONEYARRAY) return kIsPtr<Get, V, TKCBLMoney>;
  else return false;
}

constexpr bool TakesTwo(bool get, uint32_t n) {
  return (n >= KBOOLARRAY && n <= KMONEYARRAY) || (get && n == KSTRING);
}
constexpr bool TakesOne(bool get, uint32_t n) { return n > KEND && n <= KMONEY && !TakesTwo(get, n); }

// Whether A... (decayed) is a well-formed list ending in KEND.
template <bool Get, class... A>
struct SList : std::false_type {};
template <bool Get>
struct SList<Get, TKCBLTag<KEND>> : std::true_type {};
template <bool Get, uint32_t N, class V, class... R>
  requires(TakesOne(Get, N))
struct SList<Get, TKCBLTag<N>, V, R...> : std::bool_constant<OneFits<Get, N, V>() && SList<Get, R...>::value> {};
template <bool Get, uint32_t N, class C, class V, class... R>
  requires(TakesTwo(Get, N))
struct SList<Get, TKCBLTag<N>, C, V, R...>
    : std::bool_constant<kIsInt<C> && TwoFits<Get, N, V>() && SList<Get, R...>::value> {};

template <class T>
SKCBLWord Word(const T& v) {
  using X = std::decay_t<T>;
  if constexpr (kIsTag<X>) return SKCBLWord{X::value, 0, 0.0, nullptr};
  else if constexpr (std::is_floating_point_v<X>) return SKCBLWord{0, 0, static_cast<double>(v), nullptr};
  else if constexpr (std::is_pointer_v<X> || std::is_null_pointer_v<X>)
    return SKCBLWord{0, 0, 0.0, static_cast<const void*>(v)};
  else return SKCBLWord{0, static_cast<int64_t>(v), 0.0, nullptr};
}
}  // namespace kcbl_detail

// A list that NewItem, NewChunk and ReplaceItem accept / that GetItem accepts.
template <class... A>
concept KCBLNewList = kcbl_detail::SList<false, std::decay_t<A>...>::value;
template <class... A>
concept KCBLGetList = kcbl_detail::SList<true, std::decay_t<A>...>::value;
