// pad_corpus: the labelled corpus of touchpad recordings and its verdict.
//
//   pad_corpus write DIR        writes the generated recordings into DIR
//   pad_corpus check FILE...    each recording through vorellpad's core and
//                               the engine's sampler and recogniser, in
//                               process
//   pad_corpus run FILE...      each recording end to end: vorellpad --replay
//                               into the block, the real gestured, what
//                               reaches a private X server
//   pad_corpus trace FILE       every state published for the recording, in
//                               process, and the gestures each one gave
//
// check and run print one row per recording (expected, got, right or
// wrong), the accuracy and the false gestures, and end with status 0 only
// when every recording came out right.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "corpus_cases.h"
#include "corpus_run.h"
#include "corpus_table.h"
#include "gesture_words.h"

namespace {

int usage()
{
    fputs("usage: pad_corpus write DIR | check FILE... | run FILE... | trace FILE\n", stderr);
    return 2;
}

std::string base_name(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int write_corpus(const std::string &dir)
{
    for (const Take &take : corpus_takes()) {
        std::ofstream out(dir + "/" + take_file_name(take));
        out << record_take(take);
        if (!out) {
            fprintf(stderr, "pad_corpus: cannot write %s/%s\n", dir.c_str(), take_file_name(take).c_str());
            return 1;
        }
    }
    return 0;
}

int judge(int argc, char **argv, bool end_to_end)
{
    CorpusTable table;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i]);
        std::stringstream text;
        text << in.rdbuf();
        CorpusRow row;
        row.recording = base_name(argv[i]);
        Recording rec;
        std::string error;
        if (!expected_words(text.str(), &row.expected) || !read_recording(argv[i], &rec, &error)) {
            fprintf(stderr, "pad_corpus: %s: %s\n", argv[i],
                    error.empty() ? "no \"# expect:\" line" : error.c_str());
            return 2;
        }
        if (!end_to_end)  // the drag logic's waits run on a thread of its own: judged end to end
            row.expected.erase(std::remove(row.expected.begin(), row.expected.end(), "drag"),
                               row.expected.end());
        row.got = end_to_end ? corpus_run(argv[i]) : engine_words(rec);
        table.add(row);
    }
    return table.print(stdout) ? 0 : 1;
}

int trace(const char *path)
{
    Recording rec;
    std::string error;
    if (!read_recording(path, &rec, &error)) {
        fprintf(stderr, "pad_corpus: %s\n", error.c_str());
        return 2;
    }
    std::vector<std::string> lines;
    const Words words = engine_words(rec, &lines);
    for (const std::string &line : lines)
        printf("%s\n", line.c_str());
    printf("gestures: %s\n", join(words).c_str());
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && !strcmp(argv[1], "write"))
        return write_corpus(argv[2]);
    if (argc >= 3 && !strcmp(argv[1], "check"))
        return judge(argc, argv, false);
    if (argc >= 3 && !strcmp(argv[1], "run"))
        return judge(argc, argv, true);
    if (argc == 3 && !strcmp(argv[1], "trace"))
        return trace(argv[2]);
    return usage();
}
