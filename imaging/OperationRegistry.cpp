#include "OperationRegistry.h"

#include <algorithm>

namespace {

OperationInfo op(int id, const char* name, const char* label, const char* icon, ParamKind param,
                 bool toolbar, bool batch)
{
    OperationInfo info;
    info.id = id;
    info.name = QString::fromLatin1(name);
    info.label = QString::fromUtf8(label);
    info.icon = QString::fromLatin1(icon);
    info.param = param;
    info.toolbar = toolbar;
    info.batch = batch;
    return info;
}

QVector<OperationInfo> buildTable()
{
    using P = ParamKind;
    // clang-format off
    return {
        op(IMG_OPT_ROTATE_LEFT, "IMG_OPT_ROTATE_LEFT", "向左旋转", ":/images/left90.ico", P::None, true, true),
        op(IMG_OPT_ROTATE_RIGHT, "IMG_OPT_ROTATE_RIGHT", "向右旋转", ":/images/right90.ico", P::None, true, true),
        op(IMG_OPT_ROTATE_180, "IMG_OPT_ROTATE_180", "旋转180°", ":/images/angle180.ico", P::None, true, true),
        op(IMG_OPT_FLIP_HORIZONTAL, "IMG_OPT_FLIP_HORIZONTAL", "水平翻转", ":/images/image_ver.png", P::None, true, true),
        op(IMG_OPT_FLIP_VERTICAL, "IMG_OPT_FLIP_VERTICAL", "垂直翻转", ":/images/image_hor.png", P::None, true, true),
        op(IMG_OPT_SLOPE_AUTO, "IMG_OPT_SLOPE_AUTO", "自动纠斜", ":/images/slop_auto.ico", P::None, true, true),
        op(IMG_OPT_SLOPE_LINE, "IMG_OPT_SLOPE_LINE", "拉线纠斜", ":/images/slop_line.ico", P::Angle, true, false),
        op(IMG_OPT_SLOPE_LEFT, "IMG_OPT_SLOPE_LEFT", "左纠斜1°", ":/images/slop_left.png", P::None, true, false),
        op(IMG_OPT_SLOPE_RIGHT, "IMG_OPT_SLOPE_RIGHT", "右纠斜1°", ":/images/slop_right.png", P::None, true, false),
        op(IMG_OPT_CORRECT_AUTO, "IMG_OPT_CORRECT_AUTO", "自动校正", ":/images/correct_auto.png", P::None, true, false),
        op(IMG_OPT_CORRECT_DOT, "IMG_OPT_CORRECT_DOT", "四点校正", ":/images/correct_dot.png", P::Points, true, false),
        op(IMG_OPT_BG_CLEAR, "IMG_OPT_BG_CLEAR", "去背景色", ":/images/image_clear_bg.png", P::None, true, false),
        op(IMG_OPT_BGCOLOR_ADJUST, "IMG_OPT_BGCOLOR_ADJUST", "底色修改", ":/images/image_bg_color.png", P::Colour, true, true),
        op(IMG_OPT_CLEAR_INSIDE, "IMG_OPT_CLEAR_INSIDE", "去除框内", ":/images/area_in.png", P::Rect, true, false),
        op(IMG_OPT_CLEAR_OUTSIDE, "IMG_OPT_CLEAR_OUTSIDE", "去除框外", ":/images/area_out.png", P::Rect, true, false),
        op(IMG_OPT_SEAL_RED, "IMG_OPT_SEAL_RED", "红章加深", ":/images/signet_red.png", P::Rect, true, true),
        op(IMG_OPT_SEAL_BLUE, "IMG_OPT_SEAL_BLUE", "蓝章加深", ":/images/signet_blue.png", P::Rect, true, false),
        // The single page number is a text item on the page, not a labelled entry.
        op(IMG_OPT_SIGN_PAGENO, "IMG_OPT_SIGN_PAGENO", "", ":/images/image_sign_code.png", P::PageNumber, true, false),
        op(IMG_OPT_PAGENO_BATCH, "IMG_OPT_PAGENO_BATCH", "签注页码", ":/images/page_no.png", P::PageNumber, true, true),
        op(IMG_OPT_COLOUR_ADJUST, "IMG_OPT_COLOUR_ADJUST", "图像调整", ":/images/image_color.png", P::ColourValues, true, true),
        op(IMG_OPT_BINARY, "IMG_OPT_BINARY", "黑白", ":/images/image_binary.png", P::None, true, false),
        op(IMG_OPT_CROP, "IMG_OPT_CROP", "图像裁剪", ":/images/image_cut.png", P::Rect, true, false),
        op(IMG_OPT_DPI, "IMG_OPT_DPI", "DPI调整", ":/images/image_dpi.png", P::Dpi, true, true),
        op(IMG_OPT_PAGESIZE, "IMG_OPT_PAGESIZE", "幅面调整", ":/images/image_pagesize.png", P::PageSize, true, true),
        op(IMG_OPT_ROI_COPY, "IMG_OPT_ROI_COPY", "框选复制", ":/images/image_copy.png", P::Rect, true, false),
        op(IMG_OPT_ROI_PASTE, "IMG_OPT_ROI_PASTE", "粘贴", ":/images/image_paste.png", P::Rect, true, false),
        op(IMG_OPT_CONTENT_DEEP, "IMG_OPT_CONTENT_DEEP", "内容加深", ":/images/context_deep.ico", P::None, true, true),
        op(IMG_OPT_CONTENT_LIGHT, "IMG_OPT_CONTENT_LIGHT", "内容变浅", ":/images/context_light.ico", P::None, true, true),
        // Batch only: a hidden action carries it into the batch list.
        op(IMG_OPT_AREA_CLEAR, "IMG_OPT_AREA_CLEAR", "区域清除", ":/images/page_margin.png", P::Margins, false, true),
    };
    // clang-format on
}

} // namespace

const QVector<OperationInfo>& OperationRegistry::all()
{
    static const QVector<OperationInfo> table = buildTable();
    return table;
}

const QList<int>& OperationRegistry::batchList()
{
    static const QList<int> ids = {
        IMG_OPT_SLOPE_AUTO,    IMG_OPT_AREA_CLEAR,    IMG_OPT_ROTATE_LEFT,
        IMG_OPT_ROTATE_RIGHT,  IMG_OPT_ROTATE_180,    IMG_OPT_FLIP_HORIZONTAL,
        IMG_OPT_FLIP_VERTICAL, IMG_OPT_CONTENT_LIGHT, IMG_OPT_CONTENT_DEEP,
        IMG_OPT_SEAL_RED,      IMG_OPT_COLOUR_ADJUST, IMG_OPT_BGCOLOR_ADJUST,
        IMG_OPT_PAGENO_BATCH,  IMG_OPT_PAGESIZE,      IMG_OPT_DPI,
    };
    return ids;
}

const OperationInfo* OperationRegistry::byId(int id)
{
    const QVector<OperationInfo>& table = all();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [id](const OperationInfo& info) { return info.id == id; });
    return it == table.end() ? nullptr : &*it;
}

const OperationInfo* OperationRegistry::byLabel(const QString& label)
{
    const QString wanted = label.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    if (wanted == QStringLiteral("批量添加页码"))
        return byId(IMG_OPT_PAGENO_BATCH);
    const QVector<OperationInfo>& table = all();
    const auto it = std::find_if(table.begin(), table.end(), [&wanted](const OperationInfo& info) {
        return info.label == wanted || info.name == wanted;
    });
    return it == table.end() ? nullptr : &*it;
}

bool OperationRegistry::isBatch(int id)
{
    const OperationInfo* info = byId(id);
    return info && info->batch;
}
