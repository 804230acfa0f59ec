#pragma once
// The filter-expression language of TDataSet::Filter (see DB.h for the language itself):
// a parser that checks the text and resolves field names once, and an evaluator that reads
// the fields of whatever record the data set shows while it runs.
#include <memory>
#include <string>

#include "platform/data/DB.h"

namespace dbfilter {

class Expression {
public:
  struct Node;

  // Parses text against dataSet's fields. Raises EDatabaseError (prefixed with the data set's
  // name) for a syntax error, an unknown field, or a constant that cannot be compared with
  // the field beside it.
  static std::shared_ptr<Expression> Compile(const std::string& text, TDataSet* dataSet);
  ~Expression();

  // Whether the record the fields read now passes: a condition that is unknown (a comparison
  // with a null value) does not.
  bool Accepts(TFilterOptions options) const;

private:
  std::unique_ptr<Node> root_;
};

// Whether text matches a LIKE pattern: % and * stand for any text, _ for one character.
bool LikeMatches(const std::string& text, const std::string& pattern, bool caseInsensitive);

}  // namespace dbfilter
