#include "preview/preview.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "preview/facet.h"
#include "preview/svg.h"
#include "preview/tokenizer.h"

namespace tovpreview {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLargestNumber = 1e9;
constexpr int kNoInk = 15;

// Collects the drawing, whose canvas is known only at the document's end.
class StringSink : public Sink {
 public:
  void Write(const char *data, size_t size) override {
    text.append(data, size);
  }
  std::string text;
};

struct Rect {
  double x = 0, y = 0, width = 0, height = 0;
};

struct Point {
  double x, y;
};

struct Statement {
  std::string name;
  std::vector<Token> args;
  int line = 0;
};

enum class ObjectKind {
  kRectangle,
  kRoundRect,
  kEllipse,
  kArc,
  kPolyLine,
  kPolygon,
  kTextLine,
  kImport,
  kGroup,
};

struct ObjectName {
  const char *name;
  ObjectKind kind;
};

constexpr std::array<ObjectName, 9> kObjects = {{
    {"Rectangle", ObjectKind::kRectangle},
    {"RoundRect", ObjectKind::kRoundRect},
    {"Ellipse", ObjectKind::kEllipse},
    {"Arc", ObjectKind::kArc},
    {"PolyLine", ObjectKind::kPolyLine},
    {"Polygon", ObjectKind::kPolygon},
    {"TextLine", ObjectKind::kTextLine},
    {"ImportObject", ObjectKind::kImport},
    {"Group", ObjectKind::kGroup},
}};

// The face statements of a Font, in the order of their bits.
constexpr std::array<const char *, 5> kFaceNames = {
    "FBold", "FItalic", "FUnderline", "FOutline", "FShadow"};
enum FaceBit { kBold = 1, kItalic = 2, kUnderline = 4, kOutline = 8 };

// The font state of the text: Font statements change it only where they say
// so, and it carries over from one text line to the next.
struct Font {
  std::string family = "Times";
  double size = 0;
  int face = 0;
  int separation = 0;
};

// One object being read: the attributes its statements gave so far.
struct Object {
  ObjectKind kind = ObjectKind::kRectangle;
  int line = 0;
  // An object's fill and pen are inked in its separation; where a filled and
  // framed object names two, the later one (the pen's) is the one that holds.
  int separation = 0;
  int fill = kNoInk;
  int pen = kNoInk;
  double penWidth = 1;
  int groupId = 0;
  int id = 0;
  bool hasRect = false;
  Rect rect;
  double radius = 0;
  double theta = 0, dtheta = 0;
  long numPoints = -1;
  std::vector<Point> points;
  bool smoothed = false;
  std::string alignment = "Left";
  double angle = 0;
  Point origin{0, 0};
  std::string spans;
  size_t characters = 0;
  double largestSize = 0;
  std::unique_ptr<FacetDecoder> facet;
};

// What the first statement says the document is: a whole document begins
// with <TOVFile>, the frame contents that -aframe writes with <Units>.
enum class DocumentKind { kUnknown, kWhole, kFrameContents };

// Pen-less filled rectangles that follow one another in one paint, drawn as
// one path: the bands of a region abut, and a path's subpaths are painted
// together, without the seams that each rectangle's own anti-aliasing leaves.
struct RectangleRun {
  std::string paint;
  std::string element;  // the first rectangle as an element of its own
  std::string path;
  int count = 0;
};

class Previewer {
 public:
  Previewer(Source &in, Sink &out) : tokens_(in), out_(out) {}
  void Run();

 private:
  void Open(const Token &token);
  void Value(const Token &token);
  void FacetLine(const Token &token);
  void FailInsideFacet(int line);
  void Close(const Token &token);
  void End();

  void DocumentStatement(const Statement &statement);
  void Attribute(const Statement &statement);
  void FontAttribute(const Statement &statement);
  void BeginObject(ObjectKind kind, int line);
  void EndObject();

  void Start();
  void WriteHead();
  void OpenFrame();
  void CloseFrame();
  void SetGroupDepth(int depth);

  std::string Paint(int ink, int separation);
  // Ends an element with its fill and pen paint and its pen width.
  void AppendPaint(std::string &out, int fill, int pen, const Object &object);
  void Include(double x, double y);
  void IncludeRect(const Rect &rect, double margin);
  void DrawShape(const Object &object);
  void AddToRun(const std::string &element, const Rect &rect,
                const std::string &paint);
  void FlushRun();
  void DrawArc(const Object &object);
  void DrawPoly(const Object &object);
  void DrawText(const Object &object);
  void DrawImage(Object &object);
  void AddSpan(const std::string &codes);
  void Emit(const std::string &text) {
    if (run_.count > 0) FlushRun();
    target_->Write(text.data(), text.size());
  }

  Tokenizer tokens_;
  Sink &out_;
  StringSink body_;  // the drawing, written out behind its head at the end
  Sink *target_ = &body_;
  std::vector<Statement> stack_;
  int objectDepth_ = -1;  // stack index of the open object, -1 for none
  Object object_;
  Font font_;

  DocumentKind kind_ = DocumentKind::kUnknown;
  bool sawObject_ = false;
  bool sawEpilog_ = false;
  bool started_ = false;
  double pageWidth_ = 612, pageHeight_ = 792;
  Rect textRect_{18, 18, 576, 720};
  Rect frame_;
  bool frameOpen_ = false;
  Point offset_{0, 0};  // where the open frame's drawing is moved to
  RectangleRun run_;
  int groupDepth_ = 0;
  std::array<std::array<bool, 8>, 15> patternDefined_{};
  bool hasBounds_ = false;
  double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};

// ---- reading statements ----

double number(const Statement &statement, size_t index) {
  if (index >= statement.args.size()) {
    Fail(statement.line, "<" + statement.name + "> needs " +
                             std::to_string(index + 1) + " values");
  }
  const Token &arg = statement.args[index];
  const char *text = arg.text.data();
  const char *end = text + arg.text.size();
  double value = 0;
  auto result = std::from_chars(text, end, value);
  if (arg.kind != TokenKind::kWord || result.ec != std::errc() ||
      result.ptr != end || !(std::fabs(value) <= kLargestNumber)) {
    Fail(arg.line,
         "<" + statement.name + ">: '" + arg.text + "' is not a number");
  }
  return value;
}

int integer(const Statement &statement, size_t index, int low, int high) {
  double value = number(statement, index);
  if (value != std::floor(value) || value < low || value > high) {
    Fail(statement.line,
         "<" + statement.name + "> " + statement.args[index].text +
             " is not a whole number from " + std::to_string(low) + " to " +
             std::to_string(high));
  }
  return static_cast<int>(value);
}

const std::string &word(const Statement &statement) {
  if (statement.args.empty()) {
    Fail(statement.line, "<" + statement.name + "> needs a value");
  }
  return statement.args[0].text;
}

bool yes(const Statement &statement) {
  const std::string &value = word(statement);
  if (value != "Yes" && value != "No") {
    Fail(statement.line,
         "<" + statement.name + "> '" + value + "' is neither Yes nor No");
  }
  return value == "Yes";
}

Rect rect(const Statement &statement) {
  if (statement.args.size() < 4) {
    Fail(statement.line, "<" + statement.name + "> needs 4 values");
  }
  return {number(statement, 0), number(statement, 1), number(statement, 2),
          number(statement, 3)};
}

// Appends ` name="value"` for each pair.
void appendAttributes(
    std::string &out,
    std::initializer_list<std::pair<const char *, double>> attributes) {
  for (const auto &[name, value] : attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendNumber(out, value);
    out += '"';
  }
}

// Appends "x y".
void appendPoint(std::string &out, double x, double y) {
  AppendNumber(out, x);
  out += ' ';
  AppendNumber(out, y);
}

// A rectangle with a negative width or height drawn as the same area.
Rect normalised(Rect r) {
  if (r.width < 0) r.x += r.width, r.width = -r.width;
  if (r.height < 0) r.y += r.height, r.height = -r.height;
  return r;
}

void Previewer::Run() {
  Token token;
  for (;;) {
    tokens_.Next(token);
    switch (token.kind) {
      case TokenKind::kOpen:
        Open(token);
        break;
      case TokenKind::kClose:
        Close(token);
        break;
      case TokenKind::kWord:
      case TokenKind::kString:
        Value(token);
        break;
      case TokenKind::kFacetLine:
        FacetLine(token);
        break;
      case TokenKind::kEnd:
        End();
        return;
    }
  }
}

void Previewer::Open(const Token &token) {
  FailInsideFacet(token.line);
  if (kind_ == DocumentKind::kUnknown) {
    if (token.text == "TOVFile") {
      kind_ = DocumentKind::kWhole;
    } else if (token.text == "Units") {
      kind_ = DocumentKind::kFrameContents;
    } else {
      Fail(token.line, "not a TOV document: it begins with <" + token.text +
                           ">, not <TOVFile> or <Units>");
    }
  }
  stack_.push_back({token.text, {}, token.line});
  stack_.back().args.reserve(4);
  if (objectDepth_ >= 0) return;
  for (const auto &object : kObjects) {
    if (token.text == object.name) {
      objectDepth_ = static_cast<int>(stack_.size()) - 1;
      BeginObject(object.kind, token.line);
      return;
    }
  }
}

// Statements cannot stand inside a facet: one that does means the facet
// lost its end.
void Previewer::FailInsideFacet(int line) {
  if (objectDepth_ >= 0 && object_.facet && !object_.facet->ended()) {
    Fail(line, "image facet begun on line " +
                   std::to_string(object_.facet->firstLine()) +
                   " not ended with '=EndInset'");
  }
}

void Previewer::Value(const Token &token) {
  if (stack_.empty()) {
    Fail(token.line, "value '" + token.text + "' outside any statement");
  }
  stack_.back().args.push_back(token);
}

void Previewer::FacetLine(const Token &token) {
  if (objectDepth_ < 0 || object_.kind != ObjectKind::kImport ||
      static_cast<int>(stack_.size()) != objectDepth_ + 1) {
    Fail(token.line, "facet line outside an <ImportObject>");
  }
  if (!object_.facet) {
    if (token.text[0] != '=') Fail(token.line, "facet line before its header");
    FlushRun();  // the facet writes its image straight into the drawing
    object_.facet =
        std::make_unique<FacetDecoder>(*target_, token.text, token.line);
    return;
  }
  if (object_.facet->ended()) {
    Fail(token.line, "a second facet in one <ImportObject>");
  }
  object_.facet->Line(token.text, token.line);
}

void Previewer::Close(const Token &token) {
  if (stack_.empty()) Fail(token.line, "'>' closes no statement");
  FailInsideFacet(token.line);
  Statement statement = std::move(stack_.back());
  stack_.pop_back();
  int depth = static_cast<int>(stack_.size());
  if (objectDepth_ < 0) {
    DocumentStatement(statement);
  } else if (depth == objectDepth_) {
    EndObject();
    objectDepth_ = -1;
  } else if (depth == objectDepth_ + 1) {
    Attribute(statement);
  } else if (depth == objectDepth_ + 2 && stack_.back().name == "Font") {
    FontAttribute(statement);
  }
}

// A document that ends where the filter never ends one was cut short.
void Previewer::End() {
  if (!stack_.empty()) {
    Fail(tokens_.line(), "document ends inside <" + stack_.back().name +
                             "> of line " + std::to_string(stack_.back().line));
  }
  if (kind_ == DocumentKind::kUnknown) {
    Fail(tokens_.line(), "not a TOV document: it holds no statement");
  }
  if (kind_ == DocumentKind::kWhole && !sawEpilog_) {
    Fail(tokens_.line(), "document ends before its <TextFlow>");
  }
  if (kind_ == DocumentKind::kFrameContents && !sawObject_) {
    Fail(tokens_.line(), "document ends before its first object");
  }
  Start();
  CloseFrame();
  FlushRun();
  WriteHead();
  out_.Write(body_.text.data(), body_.text.size());
  out_.Write("</svg>\n", 7);
}

// The canvas holds everything drawn: a whole document's page and what lies
// beyond it (a frame wider than the text column reaches out on both sides;
// the page keeps its edge), in whole points; frame contents are their
// objects' bounding box.
void Previewer::WriteHead() {
  const bool page = kind_ == DocumentKind::kWhole;
  Rect box{0, 0, 1, 1};
  if (hasBounds_) box = {minX_, minY_, maxX_ - minX_, maxY_ - minY_};
  if (page) {
    box = {std::floor(minX_), std::floor(minY_),
           std::ceil(maxX_) - std::floor(minX_),
           std::ceil(maxY_) - std::floor(minY_)};
  }
  box.width = std::max(box.width, 1.0);
  box.height = std::max(box.height, 1.0);
  std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"";
  AppendNumber(head, box.width);
  head += "pt\" height=\"";
  AppendNumber(head, box.height);
  head += "pt\" viewBox=\"";
  appendPoint(head, box.x, box.y);
  head += ' ';
  appendPoint(head, box.width, box.height);
  head += "\">\n<rect";
  appendAttributes(head, {{"x", box.x}, {"y", box.y}});
  head += " width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out_.Write(head.data(), head.size());
}

// ---- the page and its frame ----

void Previewer::DocumentStatement(const Statement &statement) {
  const std::string &parent = stack_.empty() ? "" : stack_.back().name;
  if (statement.name == "DPageSize" || statement.name == "PageSize") {
    pageWidth_ = std::max(number(statement, 0), 1.0);
    pageHeight_ = std::max(number(statement, 1), 1.0);
  } else if (statement.name == "TextFlow") {
    sawEpilog_ = true;
  } else if (statement.name == "ShapeRect" && parent == "TextRect") {
    textRect_ = rect(statement);
  } else if (statement.name == "ShapeRect" && parent == "Frame") {
    frame_ = rect(statement);
  } else if (statement.name == "Frame") {
    CloseFrame();
  }
}

// Draws a whole document's page once the first object comes (or the end):
// the sheet, and the text column in light dashes.
void Previewer::Start() {
  if (started_) return;
  started_ = true;
  if (kind_ != DocumentKind::kWhole) return;
  IncludeRect({0, 0, pageWidth_, pageHeight_}, 0);
  // The sheet's edge is drawn just inside the page.
  std::string text = "<rect";
  appendAttributes(text, {{"x", 0.5},
                          {"y", 0.5},
                          {"width", std::max(pageWidth_ - 1, 0.0)},
                          {"height", std::max(pageHeight_ - 1, 0.0)}});
  text += " fill=\"white\" stroke=\"#999999\" stroke-width=\"1\"/>\n<rect";
  Rect column = normalised(textRect_);
  IncludeRect(column, 0.25);
  appendAttributes(text, {{"x", column.x},
                          {"y", column.y},
                          {"width", column.width},
                          {"height", column.height}});
  text +=
      " fill=\"none\" stroke=\"#cccccc\" stroke-width=\"0.5\" "
      "stroke-dasharray=\"3 3\"/>\n";
  Emit(text);
}

// The anchored frame sits below its anchor, centred in the text column.
void Previewer::OpenFrame() {
  if (kind_ != DocumentKind::kWhole || frameOpen_) return;
  bool inFrame =
      std::any_of(stack_.begin(), stack_.end(),
                  [](const Statement &s) { return s.name == "Frame"; });
  if (!inFrame) return;
  frameOpen_ = true;
  Rect column = normalised(textRect_);
  Rect frame = normalised(frame_);
  offset_ = {column.x + (column.width - frame.width) / 2 - frame.x,
             column.y - frame.y};
  IncludeRect(frame, 0.25);
  std::string text = "<g transform=\"translate(";
  appendPoint(text, offset_.x, offset_.y);
  text += ")\">\n<rect";
  appendAttributes(text, {{"x", frame.x},
                          {"y", frame.y},
                          {"width", frame.width},
                          {"height", frame.height}});
  text +=
      " fill=\"none\" stroke=\"#8080ff\" stroke-width=\"0.5\" "
      "stroke-dasharray=\"2 2\"/>\n";
  Emit(text);
}

void Previewer::CloseFrame() {
  if (!started_) return;
  SetGroupDepth(0);
  if (frameOpen_) Emit("</g>\n");
  frameOpen_ = false;
  offset_ = {0, 0};
}

// Groups are nesting levels: a member of group level k lies in k <g>
// elements, and a Group statement of level k ends the innermost one.
void Previewer::SetGroupDepth(int depth) {
  for (; groupDepth_ > depth; --groupDepth_) Emit("</g>\n");
  for (; groupDepth_ < depth; ++groupDepth_) Emit("<g class=\"group\">\n");
}

// ---- objects ----

void Previewer::BeginObject(ObjectKind kind, int line) {
  Start();
  OpenFrame();
  sawObject_ = true;
  object_ = Object();
  object_.kind = kind;
  object_.line = line;
}

enum class Attr {
  kNone,
  kSeparation,
  kFill,
  kPen,
  kPenWidth,
  kGroupId,
  kId,
  kRect,
  kRadius,
  kTheta,
  kDTheta,
  kNumPoints,
  kPoint,
  kSmoothed,
  kAlignment,
  kAngle,
  kOrigin,
  kString,
};

// The attribute statements of objects, looked up once per statement.
Attr attributeKind(const std::string &name) {
  static const std::unordered_map<std::string_view, Attr> kAttributes = {
      {"Separation", Attr::kSeparation},
      {"Fill", Attr::kFill},
      {"Pen", Attr::kPen},
      {"PenWidth", Attr::kPenWidth},
      {"GroupID", Attr::kGroupId},
      {"ID", Attr::kId},
      {"BRect", Attr::kRect},
      {"ArcRect", Attr::kRect},
      {"Radius", Attr::kRadius},
      {"ArcTheta", Attr::kTheta},
      {"ArcDTheta", Attr::kDTheta},
      {"NumPoints", Attr::kNumPoints},
      {"Point", Attr::kPoint},
      {"Smoothed", Attr::kSmoothed},
      {"TLAlignment", Attr::kAlignment},
      {"Angle", Attr::kAngle},
      {"TLOrigin", Attr::kOrigin},
      {"String", Attr::kString},
  };
  auto found = kAttributes.find(name);
  return found == kAttributes.end() ? Attr::kNone : found->second;
}

void Previewer::Attribute(const Statement &s) {
  Object &o = object_;
  switch (attributeKind(s.name)) {
    case Attr::kNone:
      return;
    case Attr::kSeparation:
      o.separation = integer(s, 0, 0, 7);
      return;
    case Attr::kFill:
      o.fill = integer(s, 0, 0, 15);
      return;
    case Attr::kPen:
      o.pen = integer(s, 0, 0, 15);
      return;
    case Attr::kPenWidth:
      o.penWidth = std::max(number(s, 0), 0.0);
      return;
    case Attr::kGroupId:
      o.groupId = integer(s, 0, 0, 32767);
      return;
    case Attr::kId:
      o.id = integer(s, 0, 0, 32767);
      return;
    case Attr::kRect:
      o.rect = rect(s);
      o.hasRect = true;
      return;
    case Attr::kRadius:
      o.radius = std::max(number(s, 0), 0.0);
      return;
    case Attr::kTheta:
      o.theta = number(s, 0);
      return;
    case Attr::kDTheta:
      o.dtheta = number(s, 0);
      return;
    case Attr::kNumPoints:
      o.numPoints = integer(s, 0, 0, 1 << 30);
      return;
    case Attr::kPoint:
      o.points.push_back({number(s, 0), number(s, 1)});
      return;
    case Attr::kSmoothed:
      o.smoothed = yes(s);
      return;
    case Attr::kAlignment:
      o.alignment = word(s);
      if (o.alignment != "Left" && o.alignment != "Center" &&
          o.alignment != "Right") {
        Fail(s.line, "<TLAlignment> '" + o.alignment +
                         "' is none of Left, Center, Right");
      }
      return;
    case Attr::kAngle:
      o.angle = number(s, 0);
      return;
    case Attr::kOrigin:
      o.origin = {number(s, 0), number(s, 1)};
      return;
    case Attr::kString:
      if (o.kind != ObjectKind::kTextLine) return;
      if (s.args.empty() || s.args[0].kind != TokenKind::kString) {
        Fail(s.line, "<String> without a backquoted string");
      }
      AddSpan(s.args[0].text);
      return;
  }
}

void Previewer::FontAttribute(const Statement &s) {
  if (s.name == "FFamily") {
    font_.family = word(s);
  } else if (s.name == "FSize") {
    font_.size = std::max(number(s, 0), 0.0);
  } else if (s.name == "FSeparation") {
    font_.separation = integer(s, 0, 0, 7);
  } else {
    for (size_t bit = 0; bit < kFaceNames.size(); ++bit) {
      if (s.name == kFaceNames[bit]) {
        font_.face = yes(s) ? font_.face | 1 << bit : font_.face & ~(1 << bit);
      }
    }
  }
}

void Previewer::EndObject() {
  Object &o = object_;
  if (o.kind == ObjectKind::kGroup) {
    if (o.id > 0) SetGroupDepth(std::min(groupDepth_, o.id - 1));
    return;
  }
  // Images name no group; they stay in the one that is open.
  if (o.kind != ObjectKind::kImport) SetGroupDepth(o.groupId);
  if ((o.kind == ObjectKind::kPolyLine || o.kind == ObjectKind::kPolygon) &&
      o.numPoints >= 0 && static_cast<size_t>(o.numPoints) != o.points.size()) {
    Fail(o.line, "<" +
                     std::string(o.kind == ObjectKind::kPolygon ? "Polygon"
                                                                : "PolyLine") +
                     "> has " + std::to_string(o.points.size()) +
                     " points but NumPoints " + std::to_string(o.numPoints));
  }
  switch (o.kind) {
    case ObjectKind::kRectangle:
    case ObjectKind::kRoundRect:
    case ObjectKind::kEllipse:
      DrawShape(o);
      break;
    case ObjectKind::kArc:
      DrawArc(o);
      break;
    case ObjectKind::kPolyLine:
    case ObjectKind::kPolygon:
      DrawPoly(o);
      break;
    case ObjectKind::kTextLine:
      DrawText(o);
      break;
    case ObjectKind::kImport:
      DrawImage(o);
      break;
    case ObjectKind::kGroup:
      break;
  }
  object_.facet.reset();
}

// The SVG paint of a fill or pen number in a separation: a tint colour, a
// pattern (defined at its first use) or "none".
std::string Previewer::Paint(int ink, int separation) {
  if (ink == kNoInk) return "none";
  if (ink < 8) return TintColour(separation, ink);
  if (!patternDefined_[ink][separation]) {
    patternDefined_[ink][separation] = true;
    Emit(PatternDefinition(ink, separation));
  }
  return "url(#" + PatternId(ink, separation) + ")";
}

void Previewer::AppendPaint(std::string &out, int fill, int pen,
                            const Object &o) {
  out += " fill=\"" + Paint(fill, o.separation) + "\" stroke=\"" +
         Paint(pen, o.separation) + "\"";
  if (pen != kNoInk) {
    out += " stroke-width=\"";
    AppendNumber(out, o.penWidth);
    out += "\"";
  }
  out += "/>\n";
}

// Bounds are kept on the canvas: inside the open frame, moved with it.
void Previewer::Include(double x, double y) {
  x += offset_.x;
  y += offset_.y;
  if (!hasBounds_) {
    minX_ = maxX_ = x;
    minY_ = maxY_ = y;
    hasBounds_ = true;
    return;
  }
  minX_ = std::min(minX_, x);
  maxX_ = std::max(maxX_, x);
  minY_ = std::min(minY_, y);
  maxY_ = std::max(maxY_, y);
}

void Previewer::IncludeRect(const Rect &r, double margin) {
  Include(r.x - margin, r.y - margin);
  Include(r.x + r.width + margin, r.y + r.height + margin);
}

double strokeMargin(const Object &o) {
  return o.pen == kNoInk ? 0 : o.penWidth / 2;
}

void Previewer::DrawShape(const Object &o) {
  if (!o.hasRect) return;
  Rect r = normalised(o.rect);
  IncludeRect(r, strokeMargin(o));
  std::string text;
  if (o.kind == ObjectKind::kEllipse) {
    text = "<ellipse";
    appendAttributes(text, {{"cx", r.x + r.width / 2},
                            {"cy", r.y + r.height / 2},
                            {"rx", r.width / 2},
                            {"ry", r.height / 2}});
  } else {
    text = "<rect";
    appendAttributes(
        text,
        {{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}});
    // The radius is the corner oval's mean diameter.
    if (o.kind == ObjectKind::kRoundRect) {
      appendAttributes(text, {{"rx", o.radius / 2}});
    }
  }
  if (o.kind == ObjectKind::kRectangle && o.pen == kNoInk && o.fill != kNoInk) {
    std::string paint = Paint(o.fill, o.separation);
    AppendPaint(text, o.fill, o.pen, o);
    AddToRun(text, r, paint);
    return;
  }
  AppendPaint(text, o.fill, o.pen, o);
  Emit(text);
}

void Previewer::AddToRun(const std::string &element, const Rect &r,
                         const std::string &paint) {
  if (run_.count > 0 && paint != run_.paint) FlushRun();
  if (run_.count == 0) {
    run_.paint = paint;
    run_.element = element;
    run_.path.clear();
  }
  run_.path += run_.count > 0 ? " M" : "M";
  appendPoint(run_.path, r.x, r.y);
  run_.path += 'h';
  AppendNumber(run_.path, r.width);
  run_.path += 'v';
  AppendNumber(run_.path, r.height);
  run_.path += 'h';
  AppendNumber(run_.path, -r.width);
  run_.path += 'z';
  ++run_.count;
}

// A run of one rectangle stays a <rect>.
void Previewer::FlushRun() {
  if (run_.count == 0) return;
  std::string text = run_.element;
  if (run_.count > 1) {
    text = "<path d=\"" + run_.path + "\" fill=\"" + run_.paint +
           "\" stroke=\"none\"/>\n";
  }
  run_.count = 0;
  target_->Write(text.data(), text.size());
}

// Arc angles are degrees clockwise from twelve o'clock, measured so that
// 45 degrees points at the corner of the arc's rectangle. A filled arc is a
// wedge from the centre; its outline is the curve alone.
void Previewer::DrawArc(const Object &o) {
  if (!o.hasRect) return;
  Rect r = normalised(o.rect);
  double sweep = std::max(-360.0, std::min(360.0, o.dtheta));
  if (sweep == 0) return;
  IncludeRect(r, strokeMargin(o));
  double cx = r.x + r.width / 2, cy = r.y + r.height / 2;
  double rx = r.width / 2, ry = r.height / 2;
  auto appendAngle = [&](std::string &out, double degrees) {
    double radians = degrees * kPi / 180;
    appendPoint(out, cx + rx * std::sin(radians), cy - ry * std::cos(radians));
  };
  std::string curve;
  appendAngle(curve, o.theta);
  int pieces = static_cast<int>(std::ceil(std::fabs(sweep) / 180));
  for (int i = 1; i <= pieces; ++i) {
    curve += " A";
    appendPoint(curve, rx, ry);
    curve += sweep > 0 ? " 0 0 1 " : " 0 0 0 ";
    appendAngle(curve, o.theta + sweep * i / pieces);
  }
  if (o.fill != kNoInk) {
    std::string text = "<path d=\"M";
    appendPoint(text, cx, cy);
    text += " L" + curve + " Z\"";
    AppendPaint(text, o.fill, kNoInk, o);
    Emit(text);
  }
  if (o.pen != kNoInk) {
    std::string text = "<path d=\"M" + curve + "\"";
    AppendPaint(text, kNoInk, o.pen, o);
    Emit(text);
  }
}

// A smoothed path is anchor, control, control, anchor, ...: one cubic curve
// per three points after the first.
// Open paths get square caps: the filter moves a line's ends inward by half
// the pen, and the caps reach out by as much again, to the picture's extent.
// A cap's corners lie up to half the pen's diagonal from the end point.
void Previewer::DrawPoly(const Object &o) {
  if (o.points.empty()) return;
  bool closed = o.kind == ObjectKind::kPolygon;
  double margin = strokeMargin(o) * (closed ? 1 : std::sqrt(2.0));
  for (const Point &p : o.points) IncludeRect({p.x, p.y, 0, 0}, margin);
  size_t n = o.points.size();
  std::string text;
  if (o.smoothed && n >= 4 && (n - 1) % 3 == 0) {
    text = "<path d=\"M";
    appendPoint(text, o.points[0].x, o.points[0].y);
    for (size_t i = 1; i < n; ++i) {
      text += (i - 1) % 3 == 0 ? " C" : " ";
      appendPoint(text, o.points[i].x, o.points[i].y);
    }
    text += closed ? " Z\"" : "\"";
  } else {
    text = closed ? "<polygon points=\"" : "<polyline points=\"";
    for (size_t i = 0; i < n; ++i) {
      if (i) text += " ";
      appendPoint(text, o.points[i].x, o.points[i].y);
    }
    text += "\"";
  }
  text += " stroke-linejoin=\"round\"";
  if (!closed && o.pen != kNoInk) text += " stroke-linecap=\"square\"";
  AppendPaint(text, o.fill, o.pen, o);
  Emit(text);
}

// The generic family that stands in for a family the viewer may not have.
const char *genericFamily(const std::string &family) {
  for (const char *mono : {"Courier", "Monaco", "Mono"}) {
    if (family.find(mono) != std::string::npos) return "monospace";
  }
  for (const char *sans : {"Helvetica", "Arial", "Geneva", "Chicago", "Sans",
                           "Univers", "Futura", "Gill", "Avant"}) {
    if (family.find(sans) != std::string::npos) return "sans-serif";
  }
  return "serif";
}

// One run of a text line in the font as it stands.
void Previewer::AddSpan(const std::string &codes) {
  if (codes.empty()) return;
  Object &o = object_;
  double size = font_.size > 0 ? font_.size : 12;
  o.characters += codes.size();
  o.largestSize = std::max(o.largestSize, size);
  std::string &text = o.spans;
  text += "<tspan font-family=\"";
  AppendEscaped(text, font_.family);
  text += std::string(", ") + genericFamily(font_.family) + "\" font-size=\"";
  AppendNumber(text, size);
  text += "\"";
  if (font_.face & kBold) text += " font-weight=\"bold\"";
  if (font_.face & kItalic) text += " font-style=\"italic\"";
  if (font_.face & kUnderline) text += " text-decoration=\"underline\"";
  std::string colour = TintColour(font_.separation, 0);
  if (font_.face & kOutline) {
    text += " fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"0.5\">";
  } else {
    text += " fill=\"" + colour + "\">";
  }
  AppendText(text, codes, FamilyEncoding(font_.family));
  text += "</tspan>";
}

// The origin is on the baseline; a positive angle turns the line
// counter-clockwise about it.
void Previewer::DrawText(const Object &o) {
  if (o.spans.empty()) return;
  double extent = o.characters * o.largestSize * 0.6 + o.largestSize;
  if (o.angle == 0) {
    double left = o.alignment == "Left"     ? o.origin.x
                  : o.alignment == "Center" ? o.origin.x - extent / 2
                                            : o.origin.x - extent;
    IncludeRect({left, o.origin.y - o.largestSize, extent, o.largestSize * 1.3},
                0);
  } else {
    IncludeRect(
        {o.origin.x - extent, o.origin.y - extent, 2 * extent, 2 * extent}, 0);
  }
  std::string text = "<text";
  appendAttributes(text, {{"x", o.origin.x}, {"y", o.origin.y}});
  text += " text-anchor=\"";
  text += o.alignment == "Left"     ? "start"
          : o.alignment == "Center" ? "middle"
                                    : "end";
  text += "\"";
  if (o.angle != 0) {
    text += " transform=\"rotate(";
    AppendNumber(text, -o.angle);
    text += ' ';
    appendPoint(text, o.origin.x, o.origin.y);
    text += ")\"";
  }
  text += " xml:space=\"preserve\">" + o.spans + "</text>\n";
  Emit(text);
}

// The facet has written the element up to its data; the placement follows.
void Previewer::DrawImage(Object &o) {
  if (!o.facet || !o.facet->startedImage()) return;
  Rect r = normalised(o.rect);
  if (o.hasRect) IncludeRect(r, 0);
  std::string text;
  appendAttributes(
      text, {{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}});
  text += "/>\n";
  Emit(text);
}

}  // namespace

int Preview(Source &in, Sink &out, std::string &message) {
  try {
    Previewer previewer(in, out);
    previewer.Run();
    return 0;
  } catch (const ReadError &error) {
    message = "line " + std::to_string(error.line) + ": " + error.text;
    return 1;
  }
}

}  // namespace tovpreview
