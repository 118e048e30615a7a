#include "toolkit/text/TextWidgets.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxImWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/WidgetChunkSchema.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

using P = tWidgetPayload;

template <typename T>
CWidget* MakeByName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<T>(name, file, directory);
}

std::vector<tWidgetChunk> Chunks(std::initializer_list<std::pair<const char*, P>> chunks)
{
    std::vector<tWidgetChunk> all;
    for (const auto& [tag, payload] : chunks) {
        uint32_t code = 0;
        ParseFourCC(tag, &code);
        all.push_back(tWidgetChunk{code, payload, {}});
    }
    return all;
}

}  // namespace

void RegisterTextWidgets()
{
    SetWidgetCreator(CTxWidget::kType, &MakeByName<CTxWidget>);
    SetWidgetCreator(CTxImWidget::kType, &MakeByName<CTxImWidget>);
    SetWidgetCreator(CTxEdWidget::kType, &MakeByName<CTxEdWidget>);
    if (FindWidgetClass(CTxWidget::kType))
        return;
    RegisterWidgetClass(CTxWidget::kType, CMaskWidget::kType);
    AddWidgetChunks(CTxWidget::kType, Chunks({{"fudl", P::kU32}, {"font", P::kText}, {"fbld", P::kU32},
                                              {"fita", P::kU32}, {"fjst", P::kText}, {"fpsz", P::kF32},
                                              {"fsiz", P::kF32}, {"text", P::kText}, {"txls", P::kTextListName},
                                              {"txlx", P::kU32}, {"txsz", P::kU32}, {"txwr", P::kU32}}));
    RegisterWidgetClass(CTxImWidget::kType, CImWidget::kType);
    AddWidgetChunks(CTxImWidget::kType, Chunks({{"fsiz", P::kF32}, {"fjst", P::kText}, {"fbld", P::kU32},
                                                {"fita", P::kU32}, {"font", P::kText}, {"fpsz", P::kF32},
                                                {"txls", P::kTextListName}, {"fudl", P::kU32}, {"text", P::kText},
                                                {"txlx", P::kU32}, {"txsz", P::kU32}}));
    RegisterWidgetClass(CTxEdWidget::kType, CTxImWidget::kType);
    AddWidgetChunks(CTxEdWidget::kType, Chunks({{"txcl", P::kColour}}));
}
