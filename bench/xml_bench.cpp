// Speed of the XML model on a large metric document, against pugixml as the
// reference parser. Generates the document (about 50 MB unless a size in MB
// is given), then times parsing, entity look-ups, a child and sibling walk
// and writing, and prints how the parse compares with the reference.
//   xml_bench [megabytes]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <pugixml.hpp>

#include "TessalyXML.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

template <class F>
double Best(int runs, F&& f) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        auto t0 = Clock::now();
        f();
        best = std::min(best, Seconds(t0));
    }
    return best;
}

std::string EntityName(int k) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "module_%06d", k);
    return buf;
}

// A metric document: declaration, type comment, root, the empty METRIC_FILE,
// then METRIC_ENTITY elements holding measures grouped by kind.
std::string MetricDocument(size_t bytes, int& entities) {
    std::string d;
    d.reserve(bytes + 4096);
    d += "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";
    d += "<!--DOCTYPE CMETRICS SYSTEM \"Cmetrics.xsd\"-->\r\n";
    d += "<CMETRICS>\r\n";
    d += "  <METRIC_FILE Product=\"Bench\" System=\"Generated\" Version=\"1.0\" Date=\"2024-01-01\" "
         "Source=\"xml_bench\"/>\r\n";
    unsigned seed = 12345;
    auto rnd = [&](unsigned mod) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % mod;
    };
    entities = 0;
    while (d.size() < bytes) {
        const int k = entities++;
        d += "  <METRIC_ENTITY Entity=\"Module\" EName=\"" + EntityName(k) + "\" EType=\"" +
             (k % 3 ? "MO" : "CO") + "\">\r\n";
        d += "    <Quantity_Metrics>\r\n";
        d += "      <Lines>" + std::to_string(rnd(5000)) + "</Lines>\r\n";
        d += "      <Statements>" + std::to_string(rnd(3000)) + "</Statements>\r\n";
        d += "      <Comments>" + std::to_string(rnd(800)) + "</Comments>\r\n";
        d += "      <Functions>" + std::to_string(rnd(60)) + "</Functions>\r\n";
        d += "    </Quantity_Metrics>\r\n";
        d += "    <Complexity_Metrics>\r\n";
        d += "      <McCabe>" + std::to_string(rnd(90)) + "</McCabe>\r\n";
        d += "      <Nesting>" + std::to_string(rnd(12)) + "</Nesting>\r\n";
        d += "      <Halstead_Volume Unit=\"bits\">" + std::to_string(rnd(99999)) + ".5</Halstead_Volume>\r\n";
        d += "    </Complexity_Metrics>\r\n";
        d += "    <Quality_Metrics>\r\n";
        d += "      <Maintainability>0." + std::to_string(rnd(100)) + "</Maintainability>\r\n";
        d += "      <Comment_Ratio>0." + std::to_string(rnd(100)) + "</Comment_Ratio>\r\n";
        d += "    </Quality_Metrics>\r\n";
        d += "  </METRIC_ENTITY>\r\n";
    }
    d += "</CMETRICS>\r\n";
    return d;
}

} // namespace

int main(int argc, char** argv) {
    const double mb = argc > 1 ? std::atof(argv[1]) : 50.0;
    int entities = 0;
    const std::string doc = MetricDocument(static_cast<size_t>(mb * 1024 * 1024), entities);
    std::printf("document: %.1f MB, %d entities\n", doc.size() / 1048576.0, entities);
    const int runs = 3;

    // Reference parse; freeing the documents is left out of every timing.
    double tPugi = 1e30;
    for (int r = 0; r < runs; ++r) {
        auto x = std::make_unique<pugi::xml_document>();
        auto t0 = Clock::now();
        pugi::xml_parse_result ok = x->load_buffer(doc.data(), doc.size());
        tPugi = std::min(tPugi, Seconds(t0));
        if (!ok) std::abort();
    }

    // Our parse, cleaned in the same pass, and the raw parse.
    std::unique_ptr<pem::TMyXMLNodeList> list;
    double tParse = 1e30;
    for (int r = 0; r < runs; ++r) {
        list.reset();
        auto t0 = Clock::now();
        list = pem::TMyXMLNodeList::CreateFromText(doc);
        tParse = std::min(tParse, Seconds(t0));
    }
    double tRaw = 0;
    {
        pem::TMyXMLNodeList raw;
        auto t0 = Clock::now();
        raw.Parse(doc, false);
        tRaw = Seconds(t0);
    }
    std::printf("nodes: %d clean\n", list->Count());

    // Look up every entity by its attributes, reading one measure of each.
    pem::TMyXMLNode* root = list->NodeAt(0);
    long long sum = 0;
    const double tLocate = Best(1, [&] {
        for (int k = 0; k < entities; ++k) {
            if (!root->Locate("METRIC_ENTITY", {"Entity", "Module", "EName", EntityName(k)})) std::abort();
            if (!list->CurrentNode()->FindChild("McCabe")) std::abort();
            sum += list->CurrentNode()->AsInteger();
        }
    });

    // Walk the entities as siblings and their measure groups as children.
    long long walked = 0;
    const double tWalk = Best(1, [&] {
        if (!root->FindChild("METRIC_ENTITY")) std::abort();
        do {
            const int entity = list->CursorIndex;
            if (list->NodeAt(entity)->FindChild("Quantity_Metrics")) {
                do {
                    ++walked;
                } while (list->NextSibling());
            }
            list->SetCursor(entity);
        } while (list->NextSibling());
    });

    std::string text;
    const double tWrite = Best(runs, [&] { text = list->AsText(-1, false); });

    std::printf("pugixml parse      %8.3f s\n", tPugi);
    std::printf("model parse+clean  %8.3f s\n", tParse);
    std::printf("model parse (raw)  %8.3f s\n", tRaw);
    std::printf("locate %d entities %8.3f s (checksum %lld)\n", entities, tLocate, sum);
    std::printf("child/sibling walk %8.3f s (%lld groups)\n", tWalk, walked);
    std::printf("write blank layout %8.3f s (%.1f MB)\n", tWrite, text.size() / 1048576.0);
    std::printf("parse ratio (model / pugixml): %.2f\n", tParse / tPugi);
    return 0;
}
