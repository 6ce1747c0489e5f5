// The keys of a table's live records under a set of tags, gathered in one pass over the records
// and put in each tag's order, for writing a whole index at once.
//
// A key is the concatenation of fixed-width terms (a field's bytes, UPPER() of them, DTOS() of a
// date) or one date, so comparing two keys is comparing their terms one by one.  Each distinct
// term (say UPPER(TITLE)) is worked out once per record, its distinct values are sorted once and
// numbered, and a tag's order comes from counting sorts on those numbers (the last term first),
// with no comparison of whole keys.  Equal keys keep record-number order, as everywhere in the
// index.  A term's values are kept without their trailing spaces (a title is mostly padding),
// and a tag's keys are laid out a piece at a time, so a million pages fit in a modest memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/keys.h"
#include "store/mdx.h"

namespace sk::store {

class TagKeySorter {
 public:
  TagKeySorter(const std::vector<TagDef>& tags, const std::vector<FieldDef>& fields);
  // A live record (its bytes as in the file, deletion byte first), in increasing number order.
  void Add(uint32_t recno, const char* rec);
  // Room for n records.
  void Reserve(size_t n);
  // The entries of tag t in the tag's order (after the last Add): the keys one after the other
  // (the tag's key length each) and their record numbers.
  void Entries(size_t t, std::string* keys, std::vector<uint32_t>* recnos);
  // The same in pieces: Order(t) puts tag t's entries in order and gives their number; Lay lays
  // out entries [from, from + n) of the tag last ordered.
  size_t Order(size_t t);
  void Lay(size_t from, size_t n, std::string* keys, std::vector<uint32_t>* recnos) const;
  uint32_t size() const { return uint32_t(recnos_.size()); }

 private:
  struct Term {
    KeyTerm::Kind kind;
    int field;
    bool julian;  // the date as a Julian day (a date tag's key), not as text
    size_t width;
    bool trim;                       // values kept without trailing spaces (text terms)
    std::vector<uint32_t> id;        // per record: the number of its value, in adding order
    std::string values;              // the distinct values one after the other, by that number
    std::vector<uint64_t> start{0};  // by that number: where it starts in values (one more)
    std::vector<uint32_t> rank;      // by that number: its place among the sorted values
    // Open hashing: (the hash's high half, number + 1); the low half picks the slot.
    std::vector<std::pair<uint32_t, uint32_t>> table;
    bool ranked = false;
  };
  // The term's value of a record in out (width bytes); its length as kept.
  size_t Value(const Term& term, const char* rec, char* out) const;
  void Rank(Term& term);
  uint32_t Intern(Term& term, const char* value, size_t len);

  std::vector<TagDef> tags_;
  std::vector<FieldDef> fields_;
  std::vector<Term> terms_;
  std::vector<std::vector<size_t>> tag_terms_;  // per tag: its terms, in key order
  std::vector<uint32_t> recnos_;
  std::string scratch_;
  std::vector<uint32_t> order_, next_, count_;  // for the counting sorts
  size_t ordered_ = 0;                          // the tag order_ holds
};

}  // namespace sk::store
