// A stand-in for the document converter in the tests, placed under a tool
// root as "PDF2TXT.exe":
//
//   fake_pdf2txt DOCUMENT TEXTFILE
//       appends "DOCUMENT TEXTFILE" to "PDF2TXT.log" in the current folder,
//       then writes the document's bytes as the text file, unless the
//       document begins with "%no-text": then it writes nothing (a converter
//       that ends without a result). The exit code is 0, 2 for a wrong call
//       or an unreadable document.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fake_pdf2txt DOCUMENT TEXTFILE\n");
        return 2;
    }
    std::ofstream("PDF2TXT.log", std::ios::app) << argv[1] << ' ' << argv[2] << '\n';
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) return 2;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind("%no-text", 0) == 0) return 0;
    std::ofstream(argv[2], std::ios::binary | std::ios::trunc) << text;
    return 0;
}
