#include "tape_builder.h"

namespace oxtest {

TapeBuilder& TapeBuilder::Block(uint8_t flag, const std::vector<uint8_t>& body) {
  blocks_.push_back(bytes_.size());
  size_t length = body.size() + 2;
  bytes_.push_back(static_cast<uint8_t>(length));
  bytes_.push_back(static_cast<uint8_t>(length >> 8));
  uint8_t sum = flag;
  bytes_.push_back(flag);
  for (uint8_t b : body) {
    bytes_.push_back(b);
    sum ^= b;
  }
  bytes_.push_back(sum);
  return *this;
}

TapeBuilder& TapeBuilder::Header(uint8_t type, const std::string& name, uint16_t length, uint16_t param1,
                                 uint16_t param2) {
  std::vector<uint8_t> body;
  body.push_back(type);
  for (size_t i = 0; i < 10; ++i) body.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : ' ');
  for (uint16_t v : {length, param1, param2}) {
    body.push_back(static_cast<uint8_t>(v));
    body.push_back(static_cast<uint8_t>(v >> 8));
  }
  return Block(0, body);
}

TapeBuilder& TapeBuilder::File(uint8_t type, const std::string& name, const std::vector<uint8_t>& body,
                               uint16_t param1, uint16_t param2) {
  Header(type, name, static_cast<uint16_t>(body.size()), param1, param2);
  return Data(body);
}

TapeBuilder& TapeBuilder::Raw(const std::vector<uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

TapeBuilder& TapeBuilder::BreakSum() {
  bytes_.back() ^= 0x01;
  return *this;
}

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> bytes(n);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 16);
  }
  return bytes;
}

}  // namespace oxtest
