// Tests of the XML module: the reader's quirks that level files rely on, its error messages and
// positions, entities, the writer's exact output, the byte-shift container, the limits, and a
// round trip of random trees through plain and encoded files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

/// Parses text into `document`; returns the root Load gave (null on errors).
xmlNode* Parse(xmlDocument& document, const std::string& text) {
  return document.LoadBytes(Bytes(text), "test");
}

std::string Fixture(const std::string& name) {
  return std::string(BRAKKON_FIXTURES) + "/xml/" + name;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "brakkon-xml-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string FileText(const std::string& path) {
  const auto bytes = ReadAssetOrFile(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

class XmlTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLogQuiet(true); }
  void TearDown() override { SetLogQuiet(false); }
};

// [SECTION] Reading -----------------------------------------------------------------------------

TEST_F(XmlTest, RepeatedAttributeKeepsFirstPositionAndLastValue) {
  xmlDocument document;
  xmlNode* level = Parse(document, "<level a=\"1\" shot=\"6\" shot=\"7\" >\r\n</level>");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->name, "level");
  ASSERT_EQ(level->AttributeCount(), 2);
  EXPECT_EQ(level->Attributes[1].name, "shot");
  EXPECT_EQ(level->AttributeValueGet("shot"), "7");
}

TEST_F(XmlTest, TextPiecesJoinWithOneBlankAndBlankTextIsDropped) {
  xmlDocument document;
  xmlNode* root = Parse(document, "<a>\r\n  <b>first\r\n   second  </b>\r\n  <c> </c>\r\n</a>\r\n");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Contents, "");
  EXPECT_EQ(root->GetChild(1)->Contents, "first second");
  EXPECT_EQ(root->GetChild(2)->Contents, "");
}

TEST_F(XmlTest, EntityDecoding) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"&lt", "<"},
      {"&lt;", "<;"},
      {"&gt&amp&quot&apos", ">&\"'"},
      {"&#41", "A"},
      {"&#7e!", "~!"},
      {"&#0D", "\r"},
      {"a &bogus &lt", "a bogus &lt"},  // an unknown entity keeps the rest as written
      {"&#4", "#4"},
      {"&#zz", "#zz"},
      {"x&", "x"},
      {"&amplt", "&lt"},
      {"no entity", "no entity"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(xmlDecodeEntities(text), expected) << text;
}

TEST_F(XmlTest, EntityEncodingIsReadBack) {
  EXPECT_EQ(xmlEncodeEntities("<>\"'&"), "&lt&gt&quot&apos&amp");
  EXPECT_EQ(xmlEncodeEntities(std::string("\x01\x1f\x7f\xff", 4)), "&#01&#1F&#7F&#FF");
  EXPECT_EQ(xmlEncodeEntities("plain ~ text"), "plain ~ text");
  std::string every;
  for (int c = 0; c < 256; ++c) every += static_cast<char>(c);
  EXPECT_EQ(xmlDecodeEntities(xmlEncodeEntities(every)), every);
}

TEST_F(XmlTest, EntitiesAreDecodedInTextAndAttributeValues) {
  xmlDocument document;
  xmlNode* root = Parse(document, "<a v=\"&lt&#41&amp\" w=\"x=y\">1 &lt 2</a>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->AttributeValueGet("v"), "<A&");
  EXPECT_EQ(root->AttributeValueGet("w"), "x=y");
  EXPECT_EQ(root->Contents, "1 < 2");
}

TEST_F(XmlTest, NamesMatchElementsIgnoringCaseAndAttributesExactly) {
  xmlDocument document;
  xmlNode* level =
      Parse(document, "<level><bodies><body name=\"x\" /></bodies><pics><Pic /></pics></level>");
  ASSERT_NE(level, nullptr);
  xmlNode* bodies = level->FindChild("BODIES");
  ASSERT_NE(bodies, nullptr);
  EXPECT_EQ(bodies->name, "bodies");
  EXPECT_EQ(level->FindChild("body"), nullptr);
  EXPECT_EQ(level->FindChild("body", 1), bodies->GetChild(1));
  EXPECT_EQ(level->FindChild("pic", 1)->name, "Pic");
  EXPECT_EQ(document.FindNode("BODY"), bodies->GetChild(1));
  EXPECT_EQ(bodies->GetChild(1)->AttributeValueGet("Name"), "");
  EXPECT_EQ(bodies->GetChild(1)->AttributeValueGet("name"), "x");
}

TEST_F(XmlTest, ParseErrorsCarryMessageAndPosition) {
  struct Case {
    std::string text;
    std::string message;
    int position;
  };
  const std::vector<Case> cases = {
      {"<a>ab > cd</a>", "Expecting opening bracket (<)", 7},
      {"<a></a></b>", "Unexpected closing tag (/b)", 11},
      {"<a><b></c></a>", "Unclosed tag (found </c>, expected </b>", 10},
      {"<a></A></a>", "Unclosed tag (found </A>, expected </a>", 7},
      {"<a><!-- x -> y --></a>", "Expecting correct comment closure (-->)", 12},
      {"<?xml version=\"1.0\" ><a />", "Expecting correct header closure (?>)", 21},
      {"<a b\"1\"=\"2\" />", "Expecting equals symbol", 14},
      {"<a>\r\n<b\r\nc=\"1\"></b></a>", "Expecting opening bracket (<)", 15},
  };
  for (const auto& c : cases) {
    xmlDocument document;
    EXPECT_EQ(Parse(document, c.text), nullptr) << c.text;
    ASSERT_GE(document.xmlErrorCount(), 1) << c.text;
    EXPECT_EQ(document.xmlError(1), c.message) << c.text;
    EXPECT_EQ(document.xmlErrorPosition(1), c.position) << c.text;
  }
  xmlDocument document;
  Parse(document, "</x>");
  EXPECT_EQ(document.xmlError(99), "");
  EXPECT_EQ(document.xmlErrorPosition(0), 0);
}

TEST_F(XmlTest, GreaterThanOutsideATagDropsTheTextBeforeIt) {
  xmlDocument document;
  Parse(document, "<a>ab > cd</a>");
  EXPECT_EQ(document.GetRoot()->Contents, "cd");
}

TEST_F(XmlTest, MissingFileIsOneError) {
  xmlDocument document;
  EXPECT_EQ(document.Load("/no/such/folder/level.xml"), nullptr);
  EXPECT_EQ(document.xmlErrorCount(), 1);
  EXPECT_EQ(document.xmlError(1), "Error opening XML file: File does not exist.");
  EXPECT_EQ(document.xmlErrorPosition(1), 0);
}

TEST_F(XmlTest, FailedLoadKeepsTheNodesItBuilt) {
  // Level files with a stray end tag still give their sections to the level loader.
  xmlDocument document;
  EXPECT_EQ(document.Load(Fixture("stray_end_tag_level.xml")), nullptr);
  EXPECT_EQ(document.xmlError(1), "Unexpected closing tag (/pics)");
  xmlNode* bodies = document.FindNode("bodies");
  ASSERT_NE(bodies, nullptr);
  EXPECT_EQ(bodies->GetChildCount(), 2);
  EXPECT_EQ(bodies->GetChild(2)->AttributeValueGet("target"), "true");
  EXPECT_EQ(document.FindNode("level")->AttributeValueGet("shot"), "6");
}

TEST_F(XmlTest, ErrorsAreClearedWhenTheNextLoadBegins) {
  xmlDocument document;
  Parse(document, "</x>");
  EXPECT_EQ(document.xmlErrorCount(), 1);
  EXPECT_NE(Parse(document, "<x />"), nullptr);
  EXPECT_EQ(document.xmlErrorCount(), 0);
}

TEST_F(XmlTest, FirstTopLevelElementIsTheRootAndASecondMergesIntoIt) {
  xmlDocument document;
  xmlNode* root = Parse(document,
                        "<!-- c --><?xml version=\"1.0\"?>\n<first a=\"1\"><x /></first>\n"
                        "<second b=\"2\" a=\"3\"><y /></second>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->name, "second");
  EXPECT_EQ(root->AttributeValueGet("a"), "3");
  EXPECT_EQ(root->AttributeValueGet("b"), "2");
  ASSERT_EQ(root->ChildCount, 2);
  EXPECT_EQ(root->GetChild(2)->name, "y");
}

TEST_F(XmlTest, SelfClosingTagWithoutBlank) {
  xmlDocument document;
  xmlNode* root = Parse(document, "<a><b/><c x=\"1\"/></a>");
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->ChildCount, 2);
  EXPECT_EQ(root->GetChild(1)->name, "b");
  EXPECT_EQ(root->GetChild(2)->AttributeValueGet("x"), "1");
}

TEST_F(XmlTest, LoadFreesThePreviousTree) {
  xmlDocument document;
  Parse(document, "<a><b /></a>");
  xmlNode* root = Parse(document, "<c />");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(document.FindNode("b"), nullptr);
  EXPECT_EQ(document.After(root), nullptr);
}

TEST_F(XmlTest, LogLines) {
  SetLogQuiet(false);
  xmlDocument document;
  ::testing::internal::CaptureStdout();
  Parse(document, "<a />");
  std::string log = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(log.rfind("Loading XML file: test\n(Not encrypted)\nParse completed in ", 0), 0u)
      << log;
  EXPECT_NE(log.find(" seconds.\n"), std::string::npos) << log;

  ::testing::internal::CaptureStdout();
  document.LoadBytes(xmlContainerEncode("<a />", 9), "coded");
  Parse(document, "</a>");
  log = ::testing::internal::GetCapturedStdout();
  const std::string failed =
      "Loading XML file: test\n(Not encrypted)\nError at char #4:  Unexpected closing tag "
      "(/a)\nParse failed\n";
  EXPECT_EQ(log.rfind("Loading XML file: coded\n(Encrypted)\nParse completed in ", 0), 0u) << log;
  ASSERT_GE(log.size(), failed.size());
  EXPECT_EQ(log.substr(log.size() - failed.size()), failed);
}

// [SECTION] Limits ------------------------------------------------------------------------------

TEST_F(XmlTest, AttributesBeyondThirtyOneAreDropped) {
  std::string tag = "<a";
  for (int i = 1; i <= 33; ++i) tag += " k" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  xmlDocument document;
  xmlNode* root = Parse(document, tag + " />");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->AttributeCount(), XML_MAX_ATTRIBUTES);
  EXPECT_EQ(root->AttributeValueGet("k31"), "31");
  EXPECT_EQ(root->AttributeValueGet("k32"), "");
  root->AttributeValueSet("extra", "1");
  EXPECT_EQ(root->AttributeCount(), XML_MAX_ATTRIBUTES);
  root->AttributeValueSet("k1", "changed");
  EXPECT_EQ(root->AttributeValueGet("k1"), "changed");
}

TEST_F(XmlTest, ErrorsBeyondSixtyThreeAreDropped) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "</x>";
  xmlDocument document;
  EXPECT_EQ(Parse(document, text), nullptr);
  EXPECT_EQ(document.xmlErrorCount(), XML_MAX_ERRORS);
  EXPECT_EQ(document.xmlErrorPosition(XML_MAX_ERRORS), 4 * XML_MAX_ERRORS);
}

TEST_F(XmlTest, NestingBeyondTheLimitFailsTheParse) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<n>";
    text += "<leaf />";
    for (int i = 0; i < depth; ++i) text += "</n>";
    return text;
  };
  xmlDocument document;
  ASSERT_NE(Parse(document, nested(XML_MAX_DEPTH)), nullptr);
  EXPECT_EQ(document.FindNode("leaf")->Level, XML_MAX_DEPTH);
  EXPECT_EQ(Parse(document, nested(XML_MAX_DEPTH + 1)), nullptr);
  EXPECT_EQ(document.xmlErrorCount(), 1);
  EXPECT_EQ(document.xmlError(1), "Elements nested too deeply (more than 1024 levels)");
}

TEST_F(XmlTest, AFileCutShortIsAnError) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<a><b />", "Unexpected end of file (expected </a>)"},
      {"<a><b x=\"1\"", "Unexpected end of file inside a tag"},
      {"<a></a><", "Unexpected end of file inside a tag"},
  };
  for (const auto& [text, message] : cases) {
    xmlDocument document;
    EXPECT_EQ(Parse(document, text), nullptr) << text;
    EXPECT_EQ(document.xmlError(document.xmlErrorCount()), message) << text;
    EXPECT_EQ(document.xmlErrorPosition(document.xmlErrorCount()), static_cast<int>(text.size()))
        << text;
  }
}

TEST_F(XmlTest, ParseStopsAtTheSizeAndNodeLimits) {
  TempFolder folder;
  // A million empty elements: refused before a node is built, from memory and from a file.
  std::string million = "<options>";
  for (int i = 0; i < 1000000; ++i) million += "<a/>";
  million += "</options>";
  const auto started = std::chrono::steady_clock::now();
  xmlDocument document;
  document.SetLimits({1u << 20, 10000});
  EXPECT_EQ(Parse(document, million), nullptr);
  EXPECT_EQ(document.xmlError(1).rfind("File too large (4000019 bytes, more than 1048576)", 0), 0u)
      << document.xmlError(1);
  EXPECT_EQ(document.GetRoot(), nullptr);
  std::ofstream(folder.File("big.xml"), std::ios::binary) << million;
  EXPECT_EQ(document.Load(folder.File("big.xml")), nullptr);
  EXPECT_EQ(document.xmlError(1), "File too large (more than 1048576 bytes); not read");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));

  // Within the size, past the node limit: the nodes before it stay, the rest is not read.
  document.SetLimits({1u << 24, 100});
  EXPECT_EQ(Parse(document, million), nullptr);
  EXPECT_EQ(document.xmlErrorCount(), 1);
  EXPECT_EQ(document.xmlError(1), "More than 100 elements; the rest is not read");
  EXPECT_EQ(document.GetRoot()->ChildCount, 99);
  // An endless device is read only up to the limit.
  document.SetLimits({1024, 100});
  EXPECT_EQ(document.Load("/dev/zero"), nullptr);
  EXPECT_EQ(document.xmlError(1), "File too large (more than 1024 bytes); not read");
  // The defaults let a level-sized file through.
  xmlDocument level;
  EXPECT_EQ(level.Limits().maxNodes, XML_DEFAULT_MAX_NODES);
  EXPECT_NE(Parse(level, "<level><bodies><body /></bodies></level>"), nullptr);
}

TEST_F(XmlTest, EveryDocumentKeepsItsOwnErrors) {
  xmlDocument broken;
  xmlDocument fine;
  Parse(broken, "</x>");
  EXPECT_NE(Parse(fine, "<x />"), nullptr);
  EXPECT_EQ(broken.xmlErrorCount(), 1);
  EXPECT_EQ(fine.xmlErrorCount(), 0);
}

TEST_F(XmlTest, GetChildOutsideTheChildrenThrows) {
  xmlDocument document;
  xmlNode* root = Parse(document, "<a><b /></a>");
  ASSERT_NE(root, nullptr);
  for (const int index : {0, -1, 2}) {
    try {
      root->GetChild(index);
      ADD_FAILURE() << "no exception for " << index;
    } catch (const std::out_of_range& error) {
      EXPECT_STREQ(error.what(), "xmlNode child index out of range.");
    }
  }
}

// [SECTION] Tree editing ------------------------------------------------------------------------

TEST_F(XmlTest, FreeMovesTheLastSiblingIntoThePlace) {
  xmlDocument document;
  xmlNode* root = Parse(document, "<r><a><deep /></a><b /><c /></r>");
  ASSERT_NE(root, nullptr);
  root->GetChild(1)->Free(0);
  ASSERT_EQ(root->ChildCount, 2);
  xmlNode* c = root->GetChild(1);
  EXPECT_EQ(c->name, "c");
  EXPECT_EQ(c->GetChildIndex(), 1);
  EXPECT_EQ(c->GetNextSibling(), root->GetChild(2));
  EXPECT_EQ(root->GetChild(2)->GetPrevSibling(), c);
  EXPECT_EQ(document.FindNode("deep"), nullptr);
  EXPECT_EQ(document.After(root)->name, "b");  // creation order is kept in the node list
  root->Free();
  EXPECT_EQ(document.GetRoot(), nullptr);
  EXPECT_EQ(document.FindNode("b"), nullptr);
}

TEST_F(XmlTest, AttributeEditing) {
  xmlDocument document;
  xmlNode* node = document.RootNode();
  EXPECT_EQ(node->name, "root");
  node->AttributeValueSet("a", "1");
  node->AttributeValueSetI("b", -42);
  node->AttributeValueSetF("c", 1.5f);
  EXPECT_EQ(node->AttributeValueGet("c"), "1.50000000");
  EXPECT_EQ(node->AttributeValueGetI("b"), -42);
  EXPECT_FLOAT_EQ(node->AttributeValueGetF("c"), 1.5f);
  node->AttributeDelete("a");
  ASSERT_EQ(node->AttributeCount(), 2);
  EXPECT_EQ(node->Attributes[0].name, "c");
  node->AttributeNameSet("b", "B");
  EXPECT_EQ(node->AttributeValueGet("B"), "-42");
  EXPECT_EQ(node->AttributeValueGet("b"), "");
  node->DataSetI(7);
  EXPECT_EQ(node->DataGetI(), 7);
}

TEST_F(XmlTest, TextToNumberConversions) {
  const std::vector<std::pair<std::string, int>> ints = {{"12", 12},
                                                         {"12abc", 12},
                                                         {"", 0},
                                                         {"abc", 0},
                                                         {"  -7", -7},
                                                         {"+3", 3},
                                                         {"1.9", 1},
                                                         {"99999999999", INT_MAX},
                                                         {"-99999999999", INT_MIN}};
  for (const auto& [text, value] : ints) EXPECT_EQ(xmlTextToInt(text), value) << text;
  const std::vector<std::pair<std::string, float>> floats = {
      {"0.5", 0.5f},   {"-12.25px", -12.25f}, {"", 0.0f},   {"x", 0.0f},
      {"1e2", 100.0f}, {"inf", 0.0f},         {".5", 0.5f}, {"3.", 3.0f}};
  for (const auto& [text, value] : floats) EXPECT_FLOAT_EQ(xmlTextToFloat(text), value) << text;
}

// [SECTION] Writing and the container -----------------------------------------------------------

TEST_F(XmlTest, SaveWritesTheExactForm) {
  xmlDocument empty;
  std::string text;
  EXPECT_EQ(empty.Save("", 0, &text), 1);
  EXPECT_EQ(text, "<?xml version=\"1.0\"?>\r\n");

  xmlDocument document;
  xmlNode* root = document.RootNode();
  root->NameSet("options");
  root->AttributeValueSet("x", "1");
  text.clear();
  document.Save("", 0, &text);
  EXPECT_EQ(text, "<?xml version=\"1.0\"?>\r\n<options x=\"1\" />\r\n");

  root->DataSet("a<b");
  xmlNode* child = root->AddChild("level");
  child->AttributeValueSet("v", "\"q\"");
  child->AddChild("leaf")->DataSet("t");
  root->AddChild("empty");
  text.clear();
  document.Save("", 0, &text);
  EXPECT_EQ(text,
            "<?xml version=\"1.0\"?>\r\n"
            "<options x=\"1\">\r\n"
            "  a&ltb\r\n"
            "  <level v=\"&quotq&quot\">\r\n"
            "    <leaf>t</leaf>\r\n"
            "  </level>\r\n"
            "  <empty />\r\n"
            "</options>\r\n");
}

TEST_F(XmlTest, ContainerShiftsEveryByteByTheKey) {
  EXPECT_EQ(xmlContainerEncodeByte('z', 200), 67);
  EXPECT_EQ(xmlContainerDecodeByte(67, 200), 'z');
  EXPECT_EQ(xmlContainerEncodeByte('z', 5), 127);
  EXPECT_EQ(xmlContainerDecodeByte(127, 5), 'z');
  const std::vector<std::uint8_t> coded = xmlContainerEncode("<a/>\r\n", 200);
  const std::vector<std::uint8_t> expected = {0x49,
                                              0xDD,
                                              0x31,
                                              0x00,
                                              200,
                                              0,
                                              0,
                                              0,
                                              '<' + 200 - 255,
                                              'a' + 200 - 255,
                                              '/' + 200,
                                              '>' + 200 - 255,
                                              13 + 200,
                                              10 + 200};
  EXPECT_EQ(coded, expected);
  EXPECT_TRUE(xmlIsContainer(coded));
  EXPECT_EQ(xmlContainerDecode(coded), "<a/>\r\n");
}

TEST_F(XmlTest, EncryptedSaveThenLoadGivesTheSameTree) {
  TempFolder folder;
  xmlDocument document;
  ASSERT_NE(document.Load(Fixture("plain_options.xml")), nullptr);
  ASSERT_EQ(document.Save(folder.File("coded.dat"), 1), 1);
  const std::string file = FileText(folder.File("coded.dat"));
  ASSERT_GE(file.size(), 8u);
  const std::vector<std::uint8_t> bytes(file.begin(), file.end());
  EXPECT_TRUE(xmlIsContainer(bytes));
  const int key = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24);
  EXPECT_GE(key, 1);
  EXPECT_LE(key, XML_CONTAINER_MAX_KEY);
  EXPECT_EQ(xmlContainerDecode(bytes), FileText(Fixture("plain_options.xml")));

  xmlDocument loaded;
  ASSERT_NE(loaded.Load(folder.File("coded.dat")), nullptr);
  EXPECT_EQ(xmlTreeDifference(document.GetRoot(), loaded.GetRoot()), "");
}

TEST_F(XmlTest, EverySaveDrawsANewKey) {
  TempFolder folder;
  xmlDocument document;
  document.RootNode();
  SeedRnd(77);
  const int first = Rand(1, XML_CONTAINER_MAX_KEY);
  const int second = Rand(1, XML_CONTAINER_MAX_KEY);
  SeedRnd(77);
  for (const int expected : {first, second}) {
    ASSERT_EQ(document.Save(folder.File("k.dat"), 1), 1);
    const std::string file = FileText(folder.File("k.dat"));
    ASSERT_GE(file.size(), 8u);
    int key = 0;
    for (int i = 3; i >= 0; --i)
      key = key * 256 + static_cast<std::uint8_t>(file[static_cast<std::size_t>(4 + i)]);
    EXPECT_EQ(key, expected);
  }
}

TEST_F(XmlTest, ChildAddedToAnEarlierNodeIsSavedUnderIt) {
  xmlDocument document;
  xmlNode* root = document.RootNode();
  xmlNode* first = root->AddChild("first");
  root->AddChild("second");
  first->AddChild("late");
  std::string text;
  document.Save("", 0, &text);
  xmlDocument loaded;
  ASSERT_NE(Parse(loaded, text), nullptr);
  EXPECT_EQ(xmlTreeDifference(root, loaded.GetRoot()), "");
}

TEST_F(XmlTest, FailedSaveRecordsTheErrorAndKeepsTheOldFile) {
  TempFolder folder;
  xmlDocument document;
  document.RootNode()->AttributeValueSet("v", "new");
  // Errors of an earlier parse are not taken for the save's.
  Parse(document, "</x></y>");
  document.RootNode()->AttributeValueSet("v", "new");
  EXPECT_EQ(document.Save(folder.File("missing/x.xml"), 1), 0);
  ASSERT_EQ(document.xmlErrorCount(), 1);
  EXPECT_EQ(document.xmlError(1).rfind(
                "Error writing XML file: cannot create a file in " + folder.File("missing"), 0),
            0u)
      << document.xmlError(1);
  EXPECT_EQ(document.xmlErrorPosition(1), 0);

  // A folder in the file's place cannot be replaced; it stays as it was, with no temporary left.
  fs::create_directories(folder.File("taken.dat/inside"));
  EXPECT_EQ(document.Save(folder.File("taken.dat"), 1), 0);
  EXPECT_NE(document.xmlError(1).find("is a folder"), std::string::npos) << document.xmlError(1);
  EXPECT_TRUE(fs::is_directory(folder.File("taken.dat/inside")));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);

  ASSERT_EQ(document.Save(folder.File("ok.xml"), 0), 1);
  EXPECT_EQ(document.xmlErrorCount(), 0);
  EXPECT_EQ(FileText(folder.File("ok.xml")), "<?xml version=\"1.0\"?>\r\n<root v=\"new\" />\r\n");
}

TEST_F(XmlTest, SaveFollowsALinkAtTheTargetAndNeverOneAtATemporaryName) {
  TempFolder folder;
  xmlDocument document;
  document.RootNode()->AttributeValueSet("v", "new");
  // A link planted at the name saves once used for their temporary file is left alone.
  std::ofstream(folder.File("victim"), std::ios::binary) << "keep";
  fs::create_symlink(folder.File("victim"), folder.File("p.dat.tmp"));
  // The target itself a link: the file it names is replaced and the link stays.
  std::ofstream(folder.File("real.dat"), std::ios::binary) << "old";
  fs::create_symlink("real.dat", folder.File("p.dat"));
  ASSERT_EQ(document.Save(folder.File("p.dat"), 0), 1) << document.xmlError(1);
  EXPECT_TRUE(fs::is_symlink(folder.File("p.dat")));
  EXPECT_EQ(FileText(folder.File("real.dat")), "<?xml version=\"1.0\"?>\r\n<root v=\"new\" />\r\n");
  EXPECT_EQ(FileText(folder.File("victim")), "keep");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()),
            4);  // no temporary left
}

TEST_F(XmlTest, ReadOnlyFileIsNotReplaced) {
  TempFolder folder;
  std::ofstream(folder.File("ro.dat"), std::ios::binary) << "old";
  fs::permissions(folder.File("ro.dat"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  xmlDocument document;
  document.RootNode();
  EXPECT_EQ(document.Save(folder.File("ro.dat"), 1), 0);
  EXPECT_EQ(document.xmlError(1), "Error writing XML file: " + folder.File("ro.dat") +
                                      " is read-only (Permission denied)");
  EXPECT_EQ(FileText(folder.File("ro.dat")), "old");
}

TEST_F(XmlTest, PlainFileIsReadFromItsFirstByte) {
  xmlDocument document;
  // Four bytes that are not the marker: the stream is rewound and read as text.
  xmlNode* root = Parse(document, "<ab c=\"1\" />");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->name, "ab");
  xmlNode* coded = document.LoadBytes(xmlContainerEncode("<ab c=\"1\" />", 300), "coded");
  ASSERT_NE(coded, nullptr);
  EXPECT_EQ(coded->AttributeValueGet("c"), "1");
}

// [SECTION] Round trip --------------------------------------------------------------------------

class TRandomTree {
 public:
  explicit TRandomTree(unsigned seed) : random_(seed) {}

  void Grow(xmlNode* node, int depth) {
    const int attributes = Pick(0, 5);
    for (int i = 0; i < attributes; ++i) node->AttributeValueSet(Name(), AnyBytes(Pick(0, 12)));
    if (Pick(0, 2) == 0) node->DataSet(TrimmedText());
    const int children = depth < 6 ? Pick(0, 4) : 0;
    for (int i = 0; i < children; ++i) Grow(node->AddChild(Name()), depth + 1);
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  std::string Name() {
    static const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const std::string more = letters + "0123456789_-.:";
    std::string name(1, letters[static_cast<std::size_t>(Pick(0, 51))]);
    const int length = Pick(0, 6);
    for (int i = 0; i < length; ++i)
      name += more[static_cast<std::size_t>(Pick(0, static_cast<int>(more.size()) - 1))];
    return name;
  }
  std::string AnyBytes(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>(Pick(0, 255));
    return text;
  }
  /// The reader trims contents, so a tree holds trimmed text across a save.
  std::string TrimmedText() {
    std::string text = AnyBytes(Pick(1, 16));
    text.front() = static_cast<char>(Pick(33, 255));
    text.back() = static_cast<char>(Pick(33, 255));
    return text;
  }

  std::mt19937 random_;
};

TEST_F(XmlTest, RandomTreesSurviveSaveAndLoadPlainAndEncrypted) {
  TempFolder folder;
  std::string everyByte;
  for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
  for (unsigned seed = 1; seed <= 150; ++seed) {
    xmlDocument document;
    xmlNode* root = document.RootNode();
    root->AttributeValueSet("all", everyByte);
    TRandomTree(seed).Grow(root, 0);
    for (const int encrypt : {0, 1}) {
      const std::string file = folder.File("tree" + std::to_string(encrypt));
      ASSERT_EQ(document.Save(file, encrypt), 1);
      xmlDocument loaded;
      ASSERT_NE(loaded.Load(file), nullptr) << "seed " << seed << ": " << loaded.xmlError(1);
      ASSERT_EQ(xmlTreeDifference(root, loaded.GetRoot()), "")
          << "seed " << seed << " encrypt " << encrypt;
    }
  }
}

}  // namespace
