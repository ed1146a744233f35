// The two colours of a binary value's network and host bits, readable on the palette they come from.
#pragma once

#include <QColor>
#include <QPalette>

namespace quorvane {

// The least contrast a coloured text keeps to its background (WCAG 2 level AA for normal text).
inline constexpr double kMinimumTextContrast = 4.5;

// The WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// How far apart two colours are: the sum of the differences of their red, green and blue (0..765).
int ColourDistance(const QColor& a, const QColor& b);
// The least distance at which the network and host bits are told apart at a glance.
inline constexpr int kDistinctColours = 120;

struct BitColours {
  QColor network;
  QColor host;
};

// The network bits in the palette's link colour and the host bits in its visited-link colour, each moved
// towards black or white (whichever lies farther from the background) until it keeps
// kMinimumTextContrast to the palette's Base colour, the background of the fields that draw them. Where
// the two come out nearer than kDistinctColours, the host bits take the text colour instead.
BitColours BinaryBitColours(const QPalette& palette);

}  // namespace quorvane
