#include "browse/view_state.h"

#include "convert/sjis.h"

namespace sk::browse {

namespace {

store::Date DateFromText(std::string_view text, const store::Date& open, const store::Date& bad) {
  if (sjis::TrimBlanks(text).empty()) return open;
  std::optional<store::Date> d = ParseSelectionDate(text);
  return d ? *d : bad;
}

}  // namespace

store::Date StartDateFromText(std::string_view text) {
  return DateFromText(text, {1900, 1, 1}, {1899, 12, 30});
}

store::Date EndDateFromText(std::string_view text) {
  return DateFromText(text, {2099, 12, 31}, {2119, 1, 11});
}

void WriteViewCondition(settings::SettingsStore& reg, std::string_view key,
                        const ViewCondition& v) {
  const PageSelection& s = v.selection;
  reg.OpenKey(key, true);
  reg.WriteInteger("SelStart", v.SelStart);
  reg.WriteInteger("SelLength", v.SelLength);
  reg.WriteInteger("ImageNum", v.ImageNum);
  reg.WriteInteger("ImageAction", v.ImageAction);
  reg.WriteString("IndexName", v.IndexName);
  reg.WriteStringList("SelBunruiList", s.SelBunruiList);
  reg.WriteStringList("SelBunruiNumList", s.SelBunruiNumList);
  reg.WriteString("SelStartDate", v.SelStartDate);
  reg.WriteString("SelEndDate", v.SelEndDate);
  reg.WriteString("SelTitle", s.SelTitle);
  reg.WriteString("SelChosha", s.SelChosha);
  reg.WriteBool("BunruiSelectMode", s.BunruiSelectMode);
  reg.WriteBool("DateSelectMode", s.DateSelectMode);
  reg.WriteBool("TitleSelectMode", s.TitleSelectMode);
  reg.WriteBool("ChoshaSelectMode", s.ChoshaSelectMode);
  if (v.Filtered) reg.WriteBool("Filtered", *v.Filtered);
  if (v.RecNo) reg.WriteInteger("RecNo", *v.RecNo);
  reg.CloseKey();
}

std::optional<ViewCondition> ReadViewCondition(settings::SettingsStore& reg, std::string_view key) {
  if (!reg.OpenKey(key, false)) return std::nullopt;
  ViewCondition v;
  PageSelection& s = v.selection;
  s.SelBunruiList = reg.ReadStringList("SelBunruiList");
  s.SelBunruiNumList = reg.ReadStringList("SelBunruiNumList");
  v.SelStartDate = reg.ReadString("SelStartDate");
  v.SelEndDate = reg.ReadString("SelEndDate");
  s.SelStartDate = StartDateFromText(v.SelStartDate);
  s.SelEndDate = EndDateFromText(v.SelEndDate);
  s.SelTitle = reg.ReadString("SelTitle");
  s.SelChosha = reg.ReadString("SelChosha");
  s.BunruiSelectMode = reg.ReadBool("BunruiSelectMode", false);
  s.DateSelectMode = reg.ReadBool("DateSelectMode", false);
  s.TitleSelectMode = reg.ReadBool("TitleSelectMode", false);
  s.ChoshaSelectMode = reg.ReadBool("ChoshaSelectMode", false);
  if (reg.ValueExists("Filtered")) v.Filtered = reg.ReadBool("Filtered", false);
  if (reg.ValueExists("RecNo")) v.RecNo = reg.ReadInteger("RecNo", 0);
  v.IndexName = reg.ReadString("IndexName");
  v.SelStart = reg.ReadInteger("SelStart", 0);
  v.SelLength = reg.ReadInteger("SelLength", 0);
  v.ImageNum = reg.ReadInteger("ImageNum", 0);
  v.ImageAction = reg.ReadInteger("ImageAction", 1);
  reg.CloseKey();
  return v;
}

}  // namespace sk::browse
