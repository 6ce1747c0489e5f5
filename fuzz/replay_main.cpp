// Replays saved inputs through a fuzz target without libFuzzer, so that every input that once
// crashed a reader stays a test: replay FOLDER... runs each file in the folders once.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& e : std::filesystem::directory_iterator(argv[i])) {
      if (!e.is_regular_file() || e.path().filename().string()[0] == '.') continue;
      std::ifstream in(e.path(), std::ios::binary);
      std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++count;
    }
  }
  printf("%d inputs replayed\n", count);
  return 0;
}
