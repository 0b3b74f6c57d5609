// Seeded writers of well-formed XML for the comparisons with libxml2.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

// A name of [A-Za-z_][A-Za-z0-9_.-]*, one to eight bytes; and the test for that alphabet.
std::string GeneratorName(std::mt19937& rng);
bool IsGeneratorName(std::string_view name);

// An element-only document: names of the alphabet, equal names among siblings and nested;
// leaves with text of printable ASCII, tab, newline and UTF-8, in which '&' and '<' appear only
// as "&amp;" and "&lt;" and "]]>" not at all; whitespace, comments, an XML declaration and a
// document-type line only between elements. Its elements nest `depth` levels below the root
// (0: the root is a leaf), 0 to 50.
std::string GenerateXmlDocument(uint32_t seed, int32_t depth);
