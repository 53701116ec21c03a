#include "rules/catalogue.h"

namespace velmora {

using namespace component;

const std::vector<CataloguedRule>& ruleCatalogue() {
    static const std::vector<CataloguedRule> rules = {
        {按钮3,
         deleteBetween,
         {编辑框2, 编辑框3, 组合框1, 选择框6, 选择框_1头, 选择框_1尾, 选择框_2头, 选择框_2尾},
         {{组合框1, Event::ItemChosen, applySymbolPreset},
          {选择框_1头, Event::Clicked, firstMarkerHeadClicked},
          {选择框_1尾, Event::Clicked, firstMarkerTailClicked},
          {选择框_2头, Event::Clicked, secondMarkerHeadClicked},
          {选择框_2尾, Event::Clicked, secondMarkerTailClicked}}},
        {按钮7, deleteBefore, {编辑框8, 选择框3, 单选框11, 单选框12}},
        {按钮_去掉后面的, deleteAfter, {编辑框9, 选择框4, 单选框1, 单选框2}},
        {按钮2, deleteOccurrences, {编辑框1, 编辑框10, 单选框13, 单选框14}},
        {按钮4, replaceTextRule, {编辑框4, 编辑框5, 单选框7, 单选框8, 单选框9, 单选框10}},
        {按钮5,
         chineseConversion,
         {单选框15, 单选框16},
         {{单选框15, Event::Clicked, toSimplifiedClicked}, {单选框16, Event::Clicked, toTraditionalClicked}}},
        {按钮11, zeroPadding, {}},
        {按钮6, changeExtensions, {组合框3}},
        {按钮15, chineseNumerals, {}},
        {按钮10,
         insertAtMarker,
         {编辑框11, 编辑框12, 单选框3, 单选框4, 单选框5, 单选框6},
         {{单选框3, Event::Clicked, insertBeforeClicked}, {单选框4, Event::Clicked, insertAfterClicked}}},
        {按钮_加前缀, addPrefix, {编辑框6}},
        {按钮_加后缀, addSuffix, {编辑框7}},
        {按钮_加后缀2, appendAfterExtension, {编辑框18}},
        {按钮12, appendAfterNumber, {编辑框13}},
        {按钮_加后缀1, videoNumbers, {}},
        {按钮_加序号, numbering, {编辑框_模板, 编辑框_起始, 编辑框_步长, 选择框_每个文件夹重新编号}},
        {按钮_正则替换, regexReplace, {编辑框_查找, 编辑框_替换为, 选择框_区分大小写, 选择框_包括扩展名}},
        {按钮_改大小写, letterCase, {单选框_大写, 单选框_小写, 单选框_首字母大写, 选择框_只改扩展名}},
        {按钮_按列表改名, renameByList, {编辑框_名称列表, 选择框_列表含扩展名}},
    };
    return rules;
}

}  // namespace velmora
