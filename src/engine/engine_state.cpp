#include "engine/engine_state.h"

#include <cmath>

namespace pelira {

ToneTables::ToneTables() {
  for (int i = 0; i < 256; ++i) {
    red[i] = green[i] = blue[i] = static_cast<std::uint8_t>(i);
    wide[i] = static_cast<std::uint16_t>(i);
  }
}

double ChannelStats::Mean(const ChannelSum& c) const {
  return static_cast<double>(static_cast<long double>(c.sum) / static_cast<long double>(n));
}

double ChannelStats::Deviation(const ChannelSum& c) const {
  // n * sumSq - sum^2 is exact in 128 bits, so a flat channel gives exactly 0.
  const __int128 num = static_cast<__int128>(n) * c.sumSq - static_cast<__int128>(c.sum) * c.sum;
  if (num <= 0) return 0.0;
  const long double nn = static_cast<long double>(n);
  return static_cast<double>(std::sqrt(static_cast<long double>(num) / (nn * nn)));
}

const ChannelSum& ChannelStats::Of(int channel) const {
  switch (channel) {
    case kRed: return red;
    case kGreen: return green;
    case kLightnessChannel: return lightness;
    case kSaturationChannel: return saturation;
    default: return blue;
  }
}

}  // namespace pelira
