// The parser alone, over maps made up of random faces in each dialect: every
// record with its values, its place in the text and its dialect, the map's
// dialect when faces are mixed, and malformed numbers reported where they
// stand.
#include "mapio/map_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

const face_dialect ALL_DIALECTS[] = {DIALECT_STANDARD, DIALECT_VALVE, DIALECT_QUAKE2, DIALECT_HEXEN2};

// What a map of mixed faces is in: the first of these that any face is in.
face_dialect map_dialect_of(const std::vector<face_dialect>& faces) {
  for (const face_dialect d : {DIALECT_VALVE, DIALECT_QUAKE2, DIALECT_HEXEN2}) {
    if (std::find(faces.begin(), faces.end(), d) != faces.end()) return d;
  }
  return DIALECT_STANDARD;
}

// A record as the test expects it, or as it copied it out of the parser.
struct expected_record {
  record_kind kind;
  text_place place;
  parsed_face face;  // texture and extra point into `texture` and `extra`
  std::string texture, extra;
  std::string key, value;
};

// Map text written piece by piece, knowing where each piece stands. Lines end
// in LF, CR LF or a lone CR at random, and none is empty, so a lone CR is
// never taken with the next line's LF.
class random_map {
 public:
  explicit random_map(unsigned seed) : rng_(seed) {}

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  text_place place() const { return {line_, column_}; }
  void put(const std::string& piece) {
    text += piece;
    column_ += static_cast<int>(piece.size());
  }
  void space() { put(std::string(" \t  ").substr(pick(2), 1 + pick(3))); }
  void end_line() {
    static const char* const ends[] = {"\n", "\r\n", "\r"};
    text += ends[pick(3)];
    ++line_;
    column_ = 1;
  }
  // Mostly a space; now and then the next piece goes on a new line.
  void gap() { pick(25) == 0 ? end_line() : space(); }

  // A number in one of the ways files write them; one in forty is malformed,
  // read as 0 and reported where it stands.
  double number(std::string* written = nullptr) {
    if (written == nullptr && pick(40) == 0) {
      static const char* const bad[] = {"x", "nan", "-inf", "1e39"};
      const std::string word = bad[pick(4)];
      malformed.push_back({line_, column_, "the number \"" + word + "\" is malformed and was read as 0"});
      put(word);
      return 0;
    }
    const double v = (pick(65536) - 32768) / 8.0;
    static const char* const formats[] = {"%.7g", "%.6f", "%.3f", "%e"};
    char text_of_v[64];
    std::snprintf(text_of_v, sizeof text_of_v, formats[pick(4)], v);
    if (written != nullptr) *written = text_of_v;
    put(text_of_v);
    return v;
  }

  // A texture name: any characters but whitespace after a letter. Names of
  // pairs have no quotes.
  std::string name(bool quoted = false) {
    static const std::string letters = "ABCXYZabcxyz019_*+-#!~{}()[]/\"";
    std::string out(1, letters[pick(12)]);
    const int choices = static_cast<int>(letters.size()) - (quoted ? 1 : 0);
    for (int n = pick(20); n > 0; --n) out += letters[pick(choices)];
    return out;
  }

  void face(face_dialect dialect) {
    expected_record r{record_kind::face, place(), {}, name(), "", "", ""};
    parsed_face& f = r.face;
    f.dialect = dialect;
    for (vec3& p : f.point) {
      put("(");
      if (pick(2) == 0) space();
      for (double* c : {&p.x, &p.y, &p.z}) {
        *c = number();
        gap();
      }
      put(")");
      space();
    }
    put(r.texture);
    gap();
    if (dialect == DIALECT_VALVE) {
      // The brackets apart from the numbers or against them.
      f.hasaxes = true;
      for (int i = 0; i < 2; ++i) {
        const bool tight = pick(2) == 0;
        put("[");
        if (!tight) space();
        for (double* v : {&f.texaxis[i][0], &f.texaxis[i][1], &f.texaxis[i][2], &f.values[i]}) {
          *v = number();
          if (v != &f.values[i]) gap();
        }
        if (!tight) space();
        put("]");
        gap();
      }
    } else {
      for (double* v : {&f.values[0], &f.values[1]}) {
        *v = number();
        gap();
      }
    }
    f.values[2] = number();
    gap();
    f.values[3] = number();
    gap();
    f.values[4] = number();
    // The numbers after the scales that tell the dialect; a standard face may
    // carry two or four (only one or three make another dialect), a Valve
    // 220 face QUAKE 2's three.
    const int trailing = dialect == DIALECT_QUAKE2   ? 3
                         : dialect == DIALECT_HEXEN2 ? 1
                         : dialect == DIALECT_VALVE  ? 3 * pick(2)
                                                     : 2 * pick(3);
    for (int i = 0; i < trailing; ++i) {
      gap();
      std::string written;
      number(&written);
      r.extra += (i > 0 ? " " : "") + written;
    }
    end_line();
    records.push_back(r);
  }

  void pair(const std::string& key, const std::string& value) {
    records.push_back({record_kind::pair, place(), {}, "", "", key, value});
    put("\"" + key + "\"");
    space();
    put("\"" + value + "\"");
    end_line();
  }

  // One brace on a line of its own, perhaps indented; then and now a comment
  // line before it.
  void brace(record_kind kind, const char* brace) {
    if (pick(6) == 0) {
      put("// " + name());
      end_line();
    }
    if (pick(2) == 0) space();
    records.push_back({kind, place(), {}, "", "", "", ""});
    put(brace);
    end_line();
  }

  std::string text;
  std::vector<expected_record> records;
  std::vector<load_problem> malformed;  // with their lines and columns; no text
  std::vector<face_dialect> dialects;   // of the faces written

 private:
  std::mt19937 rng_;
  int line_ = 1, column_ = 1;
};

void expect_same_face(const parsed_face& got, const parsed_face& want) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(got.point[i], want.point[i]) << "point " << i;
  EXPECT_EQ(got.texture, want.texture);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(got.values[i], want.values[i]) << "value " << i;
  EXPECT_EQ(got.hasaxes, want.hasaxes);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(got.texaxis[i][k], want.texaxis[i][k]) << "axis " << i << k;
  }
  EXPECT_EQ(got.extra, want.extra);
  EXPECT_EQ(got.dialect, want.dialect);
}

class ParserDialect : public ::testing::TestWithParam<face_dialect> {};

std::string dialect_name(const ::testing::TestParamInfo<face_dialect>& info) {
  static const char* const names[] = {"Standard", "Valve220", "Quake2", "Hexen2"};
  return names[info.param];
}

}  // namespace

TEST_P(ParserDialect, RandomFacesComeBackWithTheirValuesPlacesAndDialect) {
  const face_dialect dialect = GetParam();
  for (unsigned round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    random_map m(round * 4 + static_cast<unsigned>(dialect));
    // Half the maps are of this dialect alone; in the others, faces of the
    // other dialects come in among its own.
    const bool mixed = round % 2 == 1;
    m.brace(record_kind::entity, "{");
    m.pair("classname", "worldspawn");
    m.pair(m.name(true), m.name(true));
    m.records.push_back({record_kind::brush_entity, {}, {}, "", "", "", ""});
    for (int brush = m.pick(6) + 1; brush > 0; --brush) {
      m.brace(record_kind::brush, "{");
      for (int face = m.pick(8) + 1; face > 0; --face) {
        const face_dialect d = mixed && m.pick(3) == 0 ? ALL_DIALECTS[m.pick(4)] : dialect;
        m.dialects.push_back(d);
        m.face(d);
      }
      m.brace(record_kind::brush_end, "}");
    }
    m.brace(record_kind::entity_end, "}");

    load_report report;
    map_parser parser(m.text, report);
    parsed_record r;
    std::vector<expected_record> got;
    while (parser.next(r)) {
      // The texture and extra views last only until the next record.
      got.push_back({r.kind, parser.where(r.at), r.face, std::string(r.face.texture),
                     std::string(r.face.extra), r.pair.key, r.pair.value});
    }
    EXPECT_TRUE(report.complete);
    EXPECT_FALSE(parser.refused());
    EXPECT_EQ(parser.dialect(), map_dialect_of(m.dialects));
    EXPECT_EQ(report.malformed_numbers, static_cast<int>(m.malformed.size()));
    ASSERT_EQ(report.problems.size(), m.malformed.size());
    for (std::size_t i = 0; i < m.malformed.size(); ++i) {
      EXPECT_EQ(report.problems[i].line, m.malformed[i].line) << report.problems[i].text;
      EXPECT_EQ(report.problems[i].column, m.malformed[i].column) << report.problems[i].text;
    }

    ASSERT_EQ(got.size(), m.records.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE("record " + std::to_string(i));
      const expected_record& want = m.records[i];
      ASSERT_EQ(got[i].kind, want.kind);
      // Where the leading pairs end, nothing stands.
      if (want.kind != record_kind::brush_entity) EXPECT_EQ(got[i].place, want.place);
      if (want.kind == record_kind::pair) {
        EXPECT_EQ(got[i].key, want.key);
        EXPECT_EQ(got[i].value, want.value);
      }
      if (want.kind == record_kind::face) {
        parsed_face want_face = want.face;
        want_face.texture = want.texture;
        want_face.extra = want.extra;
        got[i].face.texture = got[i].texture;
        got[i].face.extra = got[i].extra;
        expect_same_face(got[i].face, want_face);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Dialects, ParserDialect, ::testing::ValuesIn(ALL_DIALECTS), dialect_name);
