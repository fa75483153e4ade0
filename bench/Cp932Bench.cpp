// Speed of the code page 932 codec on a generated 10 MB text shaped like the program's files:
// ASCII paths with Japanese folder names, kanji and kana captions, some half-width katakana.
//
// glibc's iconv(3) runs on the same text in the same process for comparison. Besides the
// benchmark flags the program takes:
//   --write-sample=FILE   write the code page 932 sample to FILE and exit
//   --decode-file=FILE    decode FILE to UTF-8 on standard output and exit (as `iconv -f CP932
//                         -t UTF-8 FILE` does, for a process-level comparison)
// bench/cp932_vs_iconv.sh runs all of it.

#include "core/text/Cp932.h"
#include "core/text/TextFile.h"

#include <benchmark/benchmark.h>

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using namespace tavolin::text;

namespace {

constexpr std::size_t kSampleSize = 10 * 1024 * 1024;

// The sample as UTF-8, deterministic: every run and the shell script see the same bytes.
std::string MakeUtf8Sample() {
    const std::vector<std::string_view> ascii = {
        "C:\\Program Files", "D:\\Data", "Windows", "System32", "bin",    "tools",   "Users",
        "Documents",         "backup",   "2024",    "setup",    "config", "archive", "work"};
    const std::vector<std::string_view> files = {
        "notepad.exe", "setup.exe",  "readme.txt", "report.xlsx", "memo.txt",
        "app.exe",     "index.html", "photo.jpg",  "install.log", "budget.csv"};
    const std::vector<std::string_view> kanji = {"日本語",   "表計算",   "文書作成", "画像編集",
                                                 "設定",     "電子郵便", "会議資料", "年度予算",
                                                 "社内規定", "顧客管理", "開発環境", "業務日報",
                                                 "経理部",   "総務課",   "見積書",   "請求書"};
    const std::vector<std::string_view> kana = {"ソフト",   "ツール",       "アプリケーション",
                                                "メモ帳",   "ファイル",     "フォルダ",
                                                "データ",   "バックアップ", "ようこそ",
                                                "かんたん", "おしらせ",     "てがみ",
                                                "ｿﾌﾄ",      "ﾃﾞｰﾀ",         "ｱﾌﾟﾘ"};

    std::mt19937 rng(20240);
    const auto pick = [&rng](const std::vector<std::string_view>& words) {
        return words[rng() % words.size()];
    };
    std::string text;
    text.reserve(kSampleSize * 3 / 2);
    // Grow until the code page 932 form reaches the target size; UTF-8 is longer, so check
    // the encoded size only now and then.
    for (std::size_t line = 0;; ++line) {
        switch (rng() % 4) {
        case 0: // a caption
            text.append(pick(kanji)).append(pick(kana));
            break;
        case 1: // a path with a Japanese folder
            text.append(pick(ascii)).append("\\").append(pick(kana)).append("\\");
            text.append(pick(kanji)).append("\\").append(pick(files));
            break;
        case 2: // an ASCII path
            text.append(pick(ascii)).append("\\").append(pick(ascii)).append("\\");
            text.append(pick(files));
            break;
        default: // arguments or a working folder
            text.append("/p \"").append(pick(ascii)).append("\\").append(pick(kanji));
            text.append("\" ").append(pick(kana));
            break;
        }
        text.append("\r\n");
        if (line % 4096 == 0 && EncodeCp932(text)->size() >= kSampleSize)
            break;
    }
    return text;
}

const std::string& Utf8Sample() {
    static const std::string sample = MakeUtf8Sample();
    return sample;
}

const std::string& Cp932Sample() {
    static const std::string sample = [] {
        std::optional<std::string> bytes = EncodeCp932(Utf8Sample());
        if (!bytes)
            throw std::logic_error("the sample must be encodable");
        return *bytes;
    }();
    return sample;
}

// One conversion of a whole buffer by glibc's iconv(3).
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv_open failed");
    }
    ~Iconv() { iconv_close(m_cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    std::size_t Convert(const std::string& in, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data()); // iconv's signature; it does not write
        std::size_t inLeft = in.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            throw std::runtime_error("iconv failed");
        return out.size() - outLeft;
    }

private:
    iconv_t m_cd;
};

void BM_DecodeCp932(benchmark::State& state) {
    const std::string& in = Cp932Sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeCp932(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_DecodeCp932)->Unit(benchmark::kMillisecond);

void BM_GlibcIconvDecodeCp932(benchmark::State& state) {
    const std::string& in = Cp932Sample();
    Iconv cd("UTF-8", "CP932");
    for (auto _ : state) {
        std::string out(in.size() * 3, '\0'); // allocated each time, as DecodeCp932 does
        out.resize(cd.Convert(in, out));
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_GlibcIconvDecodeCp932)->Unit(benchmark::kMillisecond);

void BM_EncodeCp932(benchmark::State& state) {
    const std::string& in = Utf8Sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeCp932(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_EncodeCp932)->Unit(benchmark::kMillisecond);

void BM_GlibcIconvEncodeCp932(benchmark::State& state) {
    const std::string& in = Utf8Sample();
    Iconv cd("CP932", "UTF-8");
    for (auto _ : state) {
        std::string out(in.size(), '\0');
        out.resize(cd.Convert(in, out));
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_GlibcIconvEncodeCp932)->Unit(benchmark::kMillisecond);

// A whole file as the program reads and writes it: split into lines, one string per line.
void BM_DecodeText(benchmark::State& state) {
    const std::string& in = Cp932Sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeText(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_DecodeText)->Unit(benchmark::kMillisecond);

void BM_EncodeText(benchmark::State& state) {
    const TextDocument doc = DecodeText(Cp932Sample());
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeText(doc.lines, Encoding::Cp932));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Cp932Sample().size()));
}
BENCHMARK(BM_EncodeText)->Unit(benchmark::kMillisecond);

void BM_DecodeUtf8(benchmark::State& state) {
    const std::string& in = Utf8Sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeUtf8(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_DecodeUtf8)->Unit(benchmark::kMillisecond);

// The value of --name=VALUE among the arguments, or nothing.
std::optional<std::string> Option(int argc, char** argv, std::string_view name) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=')
            return std::string(arg.substr(name.size() + 1));
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto file = Option(argc, argv, "--write-sample")) {
        std::ofstream out(*file, std::ios::binary);
        out << Cp932Sample();
        return out.good() ? 0 : 1;
    }
    if (const auto file = Option(argc, argv, "--decode-file")) {
        const std::optional<std::string> bytes = ReadFileBytes(*file);
        if (!bytes) {
            std::cerr << "cannot read " << *file << '\n';
            return 1;
        }
        const std::string text = DecodeCp932(*bytes);
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
