// The container of the game's files: memory streams, the digit key, the
// run-length coding, the scrambling and the three checksums.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "GAME_File.h"
#include "GAME_Global.h"

// ---- Memory streams ---------------------------------------------------

void require_stream(const MemoryStream& stream, size_t count) {
  if (stream.position > stream.bytes.size() || stream.bytes.size() - stream.position < count)
    throw StreamReadError();
}

void read_stream(MemoryStream& stream, void* target, size_t count) {
  require_stream(stream, count);
  if (count > 0) std::memcpy(target, stream.bytes.data() + stream.position, count);
  stream.position += count;
}

void write_stream(MemoryStream& stream, const void* source, size_t count) {
  const auto* bytes = static_cast<const uint8_t*>(source);
  stream.bytes.insert(stream.bytes.end(), bytes, bytes + count);
}

bool read_whole_file(const std::string& file_name, std::vector<uint8_t>& bytes) {
  std::ifstream in(file_name, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

uint64_t byte_sum(const MemoryStream& stream) {
  uint64_t sum = 0;
  for (uint8_t b : stream.bytes) sum += b;
  return sum;
}

// ---- Key material -----------------------------------------------------

namespace {
constexpr char key_digits[] = "9542555034910654912103503446637956309454633826060586516";
static_assert(sizeof(key_digits) == 56);
}  // namespace
const std::string_view key_constant = key_digits;
std::string key_text;

namespace {
// count characters of key_constant from position (counted from 1).
std::string_view key_piece(int position, int count) {
  check_index(position, 1, static_cast<int>(key_constant.size()) - count + 1);
  return key_constant.substr(static_cast<size_t>(position - 1), static_cast<size_t>(count));
}
}  // namespace

void build_key_text() {
  key_text.clear();
  key_text.append(key_piece(16, 5));
  key_text.append(key_piece(8, 2));
  key_text.append(key_piece(20, 10));
  key_text.append(key_piece(2, 15));
}

uint32_t checksum_mask(int record) {
  check_index(record, 1, 3);
  std::string digits;
  digits.append(key_piece(record + 8, 2));
  digits.append(key_piece(22 - record, 2));
  digits.append(key_piece(17 - record, 1));
  digits.append(key_piece(record + 4, 2));
  return static_cast<uint32_t>(std::stoul(digits));
}

// ---- Container --------------------------------------------------------

CheckedArray<uint64_t, 1, 3> stored_checksums{};
CheckedArray<uint64_t, 1, 3> computed_checksums{};

namespace {

// The key digits for a payload of payload_length bytes: the decimal length
// followed by key_text, read from its last character backwards.
std::vector<uint8_t> container_key(size_t payload_length) {
  if (key_text.empty()) build_key_text();
  const std::string text = std::to_string(payload_length) + key_text;
  std::vector<uint8_t> key(text.size());
  for (size_t j = 0; j < text.size(); ++j) {
    const char c = text[text.size() - 1 - j];
    key[j] = (c >= '0' && c <= '9') ? static_cast<uint8_t>(c - '0') : 0;
  }
  return key;
}

// XORs payload[0..length) with the key, alternating the forward and the
// backward key counter; both advance on every byte. The sum of the bytes
// as stored (before unscrambling, after scrambling) goes to checksum 3.
void scramble(uint8_t* payload, size_t length, bool unscrambling) {
  const std::vector<uint8_t> key = container_key(length);
  const size_t n = key.size();
  size_t forward = 0, backward = n - 1;
  bool use_backward = false;
  uint64_t stored_sum = 0;
  for (size_t i = 0; i < length; ++i) {
    if (unscrambling) stored_sum += payload[i];
    payload[i] ^= use_backward ? key[backward] : key[forward];
    if (!unscrambling) stored_sum += payload[i];
    use_backward = !use_backward;
    if (++forward == n) forward = 0;
    if (--backward == 0) backward = n - 1;
  }
  computed_checksums[3] = stored_sum;
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t get_u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Runs of 2..255 equal bytes become v, v, count; other bytes stay single.
std::vector<uint8_t> run_length_encode(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.reserve(data.size() + 2);
  uint64_t token_sum = 0;
  uint8_t previous = 0;
  int run = 0;
  for (uint8_t x : data) {
    if (x == previous && run > 0 && run < 255) {
      ++run;
      continue;
    }
    if (run > 1) {
      out.push_back(previous);
      out.push_back(static_cast<uint8_t>(run));
      token_sum += static_cast<uint64_t>(run) + previous;
    }
    out.push_back(x);
    token_sum += x;
    previous = x;
    run = 1;
  }
  if (run > 1) {
    out.push_back(previous);
    out.push_back(static_cast<uint8_t>(run));
    token_sum += static_cast<uint64_t>(run) + previous;
  }
  computed_checksums[2] = token_sum;
  return out;
}

// Decodes the unscrambled payload; the output never grows past limit bytes.
std::vector<uint8_t> run_length_decode(std::vector<uint8_t> payload, uint32_t limit) {
  const size_t length = payload.size();
  payload.push_back(0);  // look-ahead guard: every p[j + 2] stays inside
  payload.push_back(1);
  std::vector<uint8_t> out;
  out.reserve(std::min<size_t>(limit, 86 * length));
  uint64_t token_sum = 0;
  size_t j = 0;
  while (j < length) {
    const uint8_t value = payload[j];
    const int run = payload[j] == payload[j + 1] ? payload[j + 2] : 1;
    const size_t room = limit - out.size();
    out.insert(out.end(), std::min<size_t>(static_cast<size_t>(run), room), value);
    if (run == 1) {
      token_sum += value;
      j += 1;
    } else {
      token_sum += 2u * value + static_cast<uint64_t>(run);
      j += 3;
    }
  }
  computed_checksums[2] = token_sum;
  return out;
}

}  // namespace

void pack_container(MemoryStream& stream) {
  computed_checksums[1] = byte_sum(stream);
  std::vector<uint8_t> payload = run_length_encode(stream.bytes);
  scramble(payload.data(), payload.size(), false);
  std::vector<uint8_t> file;
  file.reserve(payload.size() + container_lead_length + container_trailer_length);
  file.push_back('P');
  file.push_back('K');
  file.insert(file.end(), payload.begin(), payload.end());
  put_u32(file, narrow<uint32_t>(stream.bytes.size()));
  for (int i = 1; i <= 3; ++i) {
    const uint64_t sum = computed_checksums[i];
    put_u32(file, static_cast<uint32_t>(sum) ^ checksum_mask(i));
    put_u32(file, static_cast<uint32_t>(sum >> 32));
  }
  stream.bytes = std::move(file);
  stream.position = 0;
}

void unpack_container(MemoryStream& stream) {
  const std::vector<uint8_t>& file = stream.bytes;
  if (file.size() < container_lead_length + container_trailer_length) throw StreamReadError();
  const size_t payload_length = file.size() - container_lead_length - container_trailer_length;
  const uint8_t* trailer = file.data() + container_lead_length + payload_length;
  const uint32_t decoded_length = get_u32(trailer);
  for (int i = 1; i <= 3; ++i) {
    const uint8_t* record = trailer + 4 + 8 * (i - 1);
    stored_checksums[i] = static_cast<uint64_t>(get_u32(record + 4)) << 32 | get_u32(record);
  }
  std::vector<uint8_t> payload(file.begin() + container_lead_length,
                               file.begin() + static_cast<std::ptrdiff_t>(container_lead_length +
                                                                          payload_length));
  scramble(payload.data(), payload.size(), true);
  stream.bytes = run_length_decode(std::move(payload), decoded_length);
  stream.position = 0;
  computed_checksums[1] = byte_sum(stream);
}

bool verify_container_checksums(const std::string& file_name) {
  for (int i = 1; i <= 3; ++i) {
    const uint64_t stored = stored_checksums[i] ^ checksum_mask(i);
    if (stored != computed_checksums[i]) {
      show_corrupted_file(file_name);
      return false;
    }
  }
  return true;
}

void show_missing_file(const std::string& file_name) {
  shutting_down = true;
  show_message_box(format_text("Missing file \"%s\"! Shutting down.", file_name.c_str()));
}

void show_corrupted_file(const std::string& file_name) {
  shutting_down = true;
  show_message_box(format_text(
      "Data file \"%s\" is corrupted or not compatible with this game version!\r\n\r\n"
      "Shutting down.",
      file_name.c_str()));
}
