// A plain random-mutation driver for the libFuzzer harnesses, for machines
// (or builds) without clang: it links with one harness's
// LLVMFuzzerTestOneInput and feeds it mutated copies of the seed files for a
// given number of seconds. Each input is written to LAST before it runs, so
// an input that crashes the harness is left there.
//   driver SECONDS LAST DICT SEED...
// Built by hand against the sanitizer build's libraries, for example:
//   c++ -std=c++20 -g -O1 -fsanitize=address,undefined -I. -I<Qt include dirs> \
//     fuzz/prepared_pages_fuzz.cpp fuzz/mutation_driver.cpp \
//     build-test/report/libvalmoro_report.a build-test/script/libvalmoro_script.a \
//     build-test/platform/libvalmoro_platform.a <the Qt and system libraries of valmoro-report>

#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Dictionary lines as libFuzzer reads them: "text" with \" and \\ escapes.
std::vector<std::string> readDictionary(const char* path) {
  std::vector<std::string> words;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (open == std::string::npos || close <= open) continue;
    std::string word;
    for (size_t i = open + 1; i < close; ++i) {
      if (line[i] == '\\' && i + 1 < close) ++i;
      word += line[i];
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s SECONDS LAST DICT SEED...\n", argv[0]);
    return 2;
  }
  const double seconds = std::atof(argv[1]);
  const char* last = argv[2];
  const std::vector<std::string> words = readDictionary(argv[3]);
  std::vector<std::string> seeds;
  for (int i = 4; i < argc; ++i) seeds.push_back(readFile(argv[i]));
  std::mt19937_64 random(std::random_device{}());
  auto pick = [&](size_t n) { return n ? size_t(random() % n) : 0; };
  const auto start = std::chrono::steady_clock::now();
  long runs = 0;
  while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
    std::string input = seeds[pick(seeds.size())];
    const int edits = 1 + int(pick(8));
    for (int e = 0; e < edits; ++e) {
      const size_t at = pick(input.size() + 1);
      switch (pick(7)) {
        case 0:  // flip a byte
          if (!input.empty()) input[pick(input.size())] ^= char(1 << pick(8));
          break;
        case 1:  // cut short
          input.resize(at);
          break;
        case 2:  // drop a run
          input.erase(at, pick(64));
          break;
        case 3:  // a dictionary word
          if (!words.empty()) input.insert(at, words[pick(words.size())]);
          break;
        case 4:  // repeat a run
          if (at < input.size()) input.insert(at, input.substr(at, pick(256)));
          break;
        case 5:  // a digit run: sizes, counts, indexes
          input.insert(at, std::to_string(int64_t(random()) >> pick(63)));
          break;
        default:  // a random byte
          input.insert(at, 1, char(pick(256)));
          break;
      }
    }
    {
      std::ofstream out(last, std::ios::binary | std::ios::trunc);
      out.write(input.data(), std::streamsize(input.size()));
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    ++runs;
  }
  std::printf("%ld inputs in %.0f s, no crash\n", runs, seconds);
  std::fflush(stdout);
  // As libFuzzer does: no static destructors (the harness keeps its
  // application object in a static).
  std::_Exit(0);
}
