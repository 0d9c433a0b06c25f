// The built-in formula table. Each source is the exact text the formula manager shows and the
// export writes: one statement per line, every line ended by a single line feed, no other
// whitespace. Two sources differ from their usual textbook spelling on purpose:
//  - RSI writes its gain as (D+ABS(D))/2 rather than MAX(D,0): both are the same where the
//    previous close exists, but on the first bar MAX(noValue,0) is 0, which would seed the
//    smoothing with a zero gain and show 16.67 instead of 100 at bar 1 of a steady rise.
//  - MCST's volumes are shares and its amounts yuan, so the average price is AMOUNT/VOL, and
//    the turnover weight is taken per lot (VOL/100) of CAPITAL, kept at most 1.
#include "formula/builtin_formulas.h"

#include "platform/text.h"

namespace zor {
namespace {

struct ParamSpec {
  const char* name;  // nullptr ends the list
  double minimum, maximum, defaultValue;
};

struct BuiltinSpec {
  const char* name;
  const char* description;
  int drawMethod;
  ParamSpec params[8];
  const char* source;
};

// Keep in the order of the formula manager's "技术指标公式" branch.
const BuiltinSpec kBuiltins[kBuiltinFormulaCount] = {
    {"MA", "均线", DrawMainOverlay,
     {{"N1", 0, 250, 5}, {"N2", 0, 250, 10}, {"N3", 0, 250, 20}, {"N4", 0, 250, 60},
      {"N5", 0, 250, 0}, {"N6", 0, 250, 0}, {"N7", 0, 250, 0}, {"N8", 0, 250, 0}},
     "MA5:MA(CLOSE,5);\n"
     "MA10:MA(CLOSE,10);\n"
     "MA20:MA(CLOSE,20);\n"
     "MA60:MA(CLOSE,60);\n"},
    {"MA2", "均线2", DrawMainOverlay, {},
     "MA5:MA(CLOSE,5);\n"
     "MA10:MA(CLOSE,10);\n"
     "MA20:MA(CLOSE,20);\n"
     "MA30:MA(CLOSE,30);\n"
     "MA60:MA(CLOSE,60);\n"},
    {"BBI", "多空均线", DrawMainOverlay, {},
     "BBI:(MA(CLOSE,3)+MA(CLOSE,6)+MA(CLOSE,12)+MA(CLOSE,24))/4;\n"},
    {"EXPMA", "指数平均数", DrawMainOverlay, {},
     "EXP1:EXPMA(CLOSE,12);\n"
     "EXP2:EXPMA(CLOSE,50);\n"},
    {"BOLL", "布林线", DrawSubPanel, {{"N", 1, 200, 20}, {"P", 0.1, 20, 2}},
     "BOLL:MA(CLOSE,N);\n"
     "UB:BOLL+P*STD(CLOSE,N);\n"
     "LB:BOLL-P*STD(CLOSE,N);\n"},
    {"SAR", "抛物线指标", DrawMainOverlay, {{"N", 1, 100, 10}, {"S", 1, 20, 2}, {"M", 5, 100, 20}},
     "SAR:SAR(N,S,M);\n"},
    {"唐奇安", "唐奇安通道", DrawMainOverlay, {{"N", 1, 500, 20}},
     "UPPER:HHV(HIGH,N);\n"
     "LOWER:LLV(LOW,N);\n"},
    {"WAVE", "波段线", DrawMainOverlay, {},
     "WAVE:EMA(EMA(EMA(CLOSE,13),13),13);\n"},
    {"MACD", "平滑异同平均线", DrawSubPanel, {{"N1", 1, 200, 12}, {"N2", 1, 400, 26}, {"N3", 1, 200, 9}},
     "DIF:EMA(CLOSE,N1)-EMA(CLOSE,N2);\n"
     "DEA:EMA(DIF,N3);\n"
     "MACD:(DIF-DEA)*2,COLORSTICK;\n"},
    {"KDJ", "随机指标", DrawSubPanel, {{"N1", 1, 200, 9}, {"N2", 1, 200, 3}},
     "RSV:=(CLOSE-LLV(LOW,N1))/(HHV(HIGH,N1)-LLV(LOW,N1))*100;\n"
     "K:SMA(RSV,N2,1);\n"
     "D:SMA(K,N2,1);\n"
     "J:3*K-2*D;\n"},
    {"SKDJ", "慢速随机指标", DrawSubPanel, {{"N1", 1, 200, 9}, {"N2", 1, 200, 3}},
     "LOWV:=LLV(LOW,N1);\n"
     "HIGHV:=HHV(HIGH,N1);\n"
     "RSV:=EMA((CLOSE-LOWV)/(HIGHV-LOWV)*100,N2);\n"
     "K:EMA(RSV,N2);\n"
     "D:MA(K,N2);\n"},
    {"RSI", "相对强弱指标", DrawSubPanel, {{"N1", 1, 200, 6}, {"N2", 1, 400, 12}, {"N3", 1, 400, 24}},
     "LC:=REF(CLOSE,1);\n"
     "RSI1:SMA((CLOSE-LC+ABS(CLOSE-LC))/2,N1,1)/SMA(ABS(CLOSE-LC),N1,1)*100;\n"
     "RSI2:SMA((CLOSE-LC+ABS(CLOSE-LC))/2,N2,1)/SMA(ABS(CLOSE-LC),N2,1)*100;\n"
     "RSI3:SMA((CLOSE-LC+ABS(CLOSE-LC))/2,N3,1)/SMA(ABS(CLOSE-LC),N3,1)*100;\n"},
    {"WR", "威廉指标", DrawSubPanel, {{"N1", 1, 200, 10}, {"N2", 1, 200, 6}},
     "WR1:100*(HHV(HIGH,N1)-CLOSE)/(HHV(HIGH,N1)-LLV(LOW,N1));\n"
     "WR2:100*(HHV(HIGH,N2)-CLOSE)/(HHV(HIGH,N2)-LLV(LOW,N2));\n"},
    {"LWR", "LWR威廉指标", DrawSubPanel, {{"N1", 1, 200, 10}, {"N2", 1, 200, 6}},
     "LWR1:100-100*(HHV(HIGH,N1)-CLOSE)/(HHV(HIGH,N1)-LLV(LOW,N1));\n"
     "LWR2:100-100*(HHV(HIGH,N2)-CLOSE)/(HHV(HIGH,N2)-LLV(LOW,N2));\n"},
    {"BIAS", "乖离率", DrawSubPanel, {{"N1", 1, 200, 6}, {"N2", 1, 400, 12}, {"N3", 1, 400, 24}},
     "BIAS1:(CLOSE-MA(CLOSE,N1))/MA(CLOSE,N1)*100;\n"
     "BIAS2:(CLOSE-MA(CLOSE,N2))/MA(CLOSE,N2)*100;\n"
     "BIAS3:(CLOSE-MA(CLOSE,N3))/MA(CLOSE,N3)*100;\n"},
    {"CCI", "商品路径指标", DrawSubPanel, {{"N1", 1, 200, 14}},
     "TYP:=(HIGH+LOW+CLOSE)/3;\n"
     "CCI:(TYP-MA(TYP,N1))/(0.015*AVEDEV(TYP,N1));\n"},
    {"OBV", "累积能量线", DrawSubPanel, {{"N", 1, 500, 30}},
     "VA:=IF(CLOSE>REF(CLOSE,1),VOL,IF(CLOSE<REF(CLOSE,1),-VOL,0));\n"
     "OBV:SUM(VA,0);\n"
     "MAOBV:MA(OBV,N);\n"},
    {"VOL", "成交量", DrawSubPanel, {},
     "VOL:VOLUME,VOLSTICK;\n"
     "MV5:MA(VOL,5);\n"
     "MV10:MA(VOL,10);\n"},
    {"AMO", "成交金额", DrawSubPanel, {},
     "AMO:AMOUNT,VOLSTICK;\n"
     "MAMO5:MA(AMO,5);\n"},
    {"PSY", "心理线", DrawSubPanel, {{"N", 1, 100, 12}, {"M", 1, 100, 6}},
     "PSY:COUNT(CLOSE>REF(CLOSE,1),N)/N*100;\n"
     "PSYMA:MA(PSY,M);\n"},
    {"VR", "成交量变异率", DrawSubPanel, {{"N", 1, 200, 26}, {"M", 1, 100, 6}},
     "LC:=REF(CLOSE,1);\n"
     "VR:SUM(IF(CLOSE>LC,VOL,0),N)/SUM(IF(CLOSE<LC,VOL,0),N)*100;\n"
     "MAVR:MA(VR,M);\n"},
    {"MTM", "动量线", DrawSubPanel, {{"N", 1, 200, 12}, {"M", 1, 100, 6}},
     "MTM:CLOSE-REF(CLOSE,N);\n"
     "MTMMA:MA(MTM,M);\n"},
    {"ROC", "变动率指标", DrawSubPanel, {{"N", 1, 200, 12}, {"M", 1, 100, 6}},
     "ROC:100*(CLOSE-REF(CLOSE,N))/REF(CLOSE,N);\n"
     "MAROC:MA(ROC,M);\n"},
    {"DMA", "平均差", DrawSubPanel, {{"N1", 1, 200, 10}, {"N2", 1, 400, 50}, {"M", 1, 100, 10}},
     "DIF:MA(CLOSE,N1)-MA(CLOSE,N2);\n"
     "DIFMA:MA(DIF,M);\n"},
    {"TRIX", "三重指数平滑平均线", DrawSubPanel, {{"N", 1, 100, 12}, {"M", 1, 100, 9}},
     "TR2:=EMA(EMA(EMA(CLOSE,N),N),N);\n"
     "TRIX:(TR2-REF(TR2,1))/REF(TR2,1)*100;\n"
     "TRMA:MA(TRIX,M);\n"},
    {"DMI", "趋向指标", DrawSubPanel, {{"N", 1, 100, 14}, {"M", 1, 100, 6}},
     "TR1:=SUM(MAX(MAX(HIGH-LOW,ABS(HIGH-REF(CLOSE,1))),ABS(REF(CLOSE,1)-LOW)),N);\n"
     "HD:=HIGH-REF(HIGH,1);\n"
     "LD:=REF(LOW,1)-LOW;\n"
     "DMP:=SUM(IF(HD>0 AND HD>LD,HD,0),N);\n"
     "DMM:=SUM(IF(LD>0 AND LD>HD,LD,0),N);\n"
     "PDI:DMP*100/TR1;\n"
     "MDI:DMM*100/TR1;\n"
     "ADX:MA(ABS(MDI-PDI)/(MDI+PDI)*100,M);\n"
     "ADXR:(ADX+REF(ADX,M))/2;\n"},
    {"EMV", "简易波动指标", DrawSubPanel, {{"N", 1, 100, 14}, {"M", 1, 100, 9}},
     "EMV:MA(((HIGH+LOW)/2-(REF(HIGH,1)+REF(LOW,1))/2)*(MA(VOL,N)/VOL),N);\n"
     "MAEMV:MA(EMV,M);\n"},
    {"ASI", "振动升降指标", DrawSubPanel, {{"N", 1, 500, 7}},
     "LC:=REF(CLOSE,1);\n"
     "AA:=ABS(HIGH-LC);\n"
     "BB:=ABS(LOW-LC);\n"
     "CC:=ABS(HIGH-REF(LOW,1));\n"
     "DD:=ABS(LC-REF(OPEN,1));\n"
     "R:=IF(AA>BB AND AA>CC,AA+BB/2+DD/4,IF(BB>CC AND BB>AA,BB+AA/2+DD/4,CC+DD/4));\n"
     "XX:=CLOSE-LC+(CLOSE-OPEN)/2+LC-REF(OPEN,1);\n"
     "SI:=16*XX/R*MAX(AA,BB);\n"
     "ASI:SUM(SI,0);\n"
     "MASI:MA(ASI,N);\n"},
    {"BRAR", "情绪指标", DrawSubPanel, {{"N", 1, 200, 26}},
     "AR:SUM(HIGH-OPEN,N)/SUM(OPEN-LOW,N)*100;\n"
     "BR:SUM(MAX(0,HIGH-REF(CLOSE,1)),N)/SUM(MAX(0,REF(CLOSE,1)-LOW),N)*100;\n"},
    {"CR", "带状能量线", DrawSubPanel, {{"N", 1, 200, 26}},
     "MID:=REF(HIGH+LOW,1)/2;\n"
     "CR:SUM(MAX(0,HIGH-MID),N)/SUM(MAX(0,MID-LOW),N)*100;\n"},
    {"MASS", "梅斯线", DrawSubPanel, {},
     "MASS:SUM(MA(HIGH-LOW,9)/MA(MA(HIGH-LOW,9),9),25);\n"
     "MA26:MA(MASS,9);\n"},
    {"DPO", "区间震荡线", DrawSubPanel, {{"N", 1, 200, 20}, {"M", 1, 100, 6}},
     "DPO:CLOSE-REF(MA(CLOSE,N),N/2+1);\n"
     "MADPO:MA(DPO,M);\n"},
    {"ATR", "真实波幅", DrawSubPanel, {{"N", 1, 200, 14}},
     "TR1:=MAX(MAX(HIGH-LOW,ABS(HIGH-REF(CLOSE,1))),ABS(REF(CLOSE,1)-LOW));\n"
     "ATR:MA(TR1,N);\n"},
    {"CYF", "市场能量", DrawSubPanel, {},
     "VAR1:=CLOSE-LOW;\n"
     "VAR2:=HIGH-LOW;\n"
     "CYF:SUM(VAR1,21)/SUM(VAR2,21)*100;\n"},
    {"FSL", "分水岭", DrawSubPanel, {},
     "SWL:(EMA(CLOSE,5)*7+EMA(CLOSE,10)*3)/10;\n"
     "SWS:DMA(EMA(CLOSE,12),MAX(1,100*(SUM(VOL,5)/(3*CAPITAL))));\n"},
    {"MCST", "市场成本", DrawSubPanel, {},
     "MCST:DMA(AMOUNT/VOL,MIN(1,VOL/100/CAPITAL));\n"},
};

std::vector<FormulaDef> buildBuiltins() {
  std::vector<FormulaDef> out;
  out.reserve(kBuiltinFormulaCount);
  for (const BuiltinSpec& spec : kBuiltins) {
    FormulaDef def;
    def.name = spec.name;
    def.description = spec.description;
    def.type = TypeTechnical;
    def.drawMethod = spec.drawMethod;
    def.decimals = 2;
    for (const ParamSpec& p : spec.params) {
      if (!p.name) break;
      def.params.push_back({p.name, p.minimum, p.maximum, p.defaultValue});
    }
    def.source = spec.source;
    def.builtin = true;
    out.push_back(std::move(def));
  }
  return out;
}

struct GroupRule {
  bool mainChart;  // rule for draw methods 1 and 5, else for every other method
  const char* group;
  const char* names[10];  // nullptr ends the list
};

const GroupRule kGroupRules[] = {
    {true, "均线型", {"MA", "MA2", "BBI", "EXPMA", "WAVE"}},
    {true, "路径型", {"BOLL", "唐奇安"}},
    {true, "停损型", {"SAR"}},
    {false, "趋势型", {"MACD", "DMA", "TRIX", "DMI", "EMV", "ASI", "DPO", "MTM"}},
    {false, "超买超卖型", {"KDJ", "SKDJ", "RSI", "WR", "LWR", "BIAS", "CCI", "ROC", "PSY"}},
    {false, "能量型", {"OBV", "BRAR", "CR", "VR", "MASS", "ATR", "CYF"}},
    {false, "成交量型", {"VOL", "AMO"}},
};

}  // namespace

const std::vector<FormulaDef>& builtinFormulas() {
  static const std::vector<FormulaDef> list = buildBuiltins();
  return list;
}

const FormulaDef* findBuiltinFormula(std::string_view name) {
  for (const FormulaDef& def : builtinFormulas())
    if (equalsIgnoreCase(def.name, name)) return &def;
  return nullptr;
}

const char* formulaGroup(std::string_view name, int drawMethod) {
  bool mainChart = drawMethod == DrawMainOverlay || drawMethod == DrawMainReplace;
  for (const GroupRule& rule : kGroupRules) {
    if (rule.mainChart != mainChart) continue;
    for (const char* n : rule.names) {
      if (!n) break;
      if (name == n) return rule.group;
    }
  }
  return "其他类型";
}

const std::vector<const char*>& formulaGroupOrder() {
  static const std::vector<const char*> order = {"均线型", "路径型", "停损型", "趋势型",
                                                 "超买超卖型", "能量型", "成交量型", "其他类型"};
  return order;
}

}  // namespace zor
