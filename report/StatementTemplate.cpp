#include "report/StatementTemplate.h"
#include "report/Emblem.h"

namespace report {

namespace {

const FontSpec arial14Bold{QStringLiteral("Arial"), 14, true};
const FontSpec arial10Bold{QStringLiteral("Arial"), 10, true};
const FontSpec arial8{QStringLiteral("Arial"), 8, false};
const FontSpec sansSerif10Bold{QStringLiteral("MS Sans Serif"), 10, true};

Box box(int left, int top, int width, int height)
{
    return {designUnits(left), designUnits(top), designUnits(width), designUnits(height)};
}

Printable label(const char* name, const QString& caption, Box b, Alignment alignment,
                std::optional<FontSpec> font, bool autoSize)
{
    Printable p;
    p.name = QString::fromLatin1(name);
    p.kind = PrintableKind::Label;
    p.box = b;
    p.alignment = alignment;
    p.font = std::move(font);
    p.autoSize = autoSize;
    p.caption = caption;
    return p;
}

Printable data(const char* name, const char* field, Box b, Alignment alignment, bool autoSize)
{
    Printable p;
    p.name = QString::fromLatin1(name);
    p.kind = PrintableKind::Data;
    p.box = b;
    p.alignment = alignment;
    p.font = arial10Bold;
    p.autoSize = autoSize;
    p.field = QString::fromLatin1(field);
    return p;
}

Printable line(const char* name, LineDirection direction, Box b)
{
    Printable p;
    p.name = QString::fromLatin1(name);
    p.kind = PrintableKind::Line;
    p.box = b;
    p.direction = direction;
    return p;
}

Band band(const char* name, BandKind kind, int height, std::uint8_t frame, const char* child = "")
{
    Band b;
    b.name = QString::fromLatin1(name);
    b.kind = kind;
    b.height = designUnits(height);
    b.frame = frame;
    b.child = QString::fromLatin1(child);
    return b;
}

constexpr auto H = LineDirection::Horizontal;
constexpr auto V = LineDirection::Vertical;
constexpr auto L = Alignment::Left;
constexpr auto R = Alignment::Right;
constexpr auto C = Alignment::Center;

} // namespace

ReportTemplate statementTemplate()
{
    ReportTemplate t;
    t.title = QStringLiteral("Radaziz de Rendimentos");
    t.dataSetName = QStringLiteral("Fun");
    t.page.paper = QPageSize::Letter;
    t.page.width = tenthsOfMm(2159);
    t.page.height = tenthsOfMm(2794);
    t.page.topMargin = millimetres(10);
    t.page.bottomMargin = millimetres(18);
    t.page.leftMargin = millimetres(10);
    t.page.rightMargin = millimetres(10);
    t.page.bandWidth = designUnits(740);
    t.font = FontSpec{QStringLiteral("Arial"), 10, false};
    t.options = {.firstPageHeader = true, .lastPageFooter = true, .printIfEmpty = false};

    Band pageHeader = band("PageHeaderBand1", BandKind::PageHeader, 79, FrameAll);
    {
        Printable emblem;
        emblem.name = QStringLiteral("QRImage1");
        emblem.kind = PrintableKind::Picture;
        emblem.box = box(4, 4, 69, 69);
        emblem.picture = emblemImage();
        pageHeader.printables = {
            line("QRShape2", V, box(365, 0, 15, 77)),
            label("QRLabel1", QStringLiteral("Ministério da Fazenda"), box(84, 16, 205, 23), L,
                  arial14Bold, true),
            label("QRLabel2", QStringLiteral("Secretaria da Receita Federal"), box(84, 40, 272, 23),
                  L, arial14Bold, true),
            label("QRLabel3", QStringLiteral("COMPROVANTE DE RENDIMENTOS PAGOS E DE"),
                  box(374, 8, 365, 17), C, std::nullopt, false),
            label("QRLabel4", QStringLiteral("RETENÇÃO DE IMPOSTO DE RENDA NA FONTE"),
                  box(374, 28, 365, 17), C, std::nullopt, false),
            label("QRLabel5", QStringLiteral("ANO CALENDÁRIO 1999"), box(374, 48, 365, 17), C,
                  std::nullopt, false),
            emblem,
        };
    }

    Band columnHeader =
        band("ColumnHeaderBand1", BandKind::ColumnHeader, 40, FrameNone, "ChildBand1");
    columnHeader.printables = {
        label("QRLabel6", QStringLiteral("1. FONTE PAGADORA PESSOA JURÍDICA OU PESSOA FÍSICA"),
              box(4, 20, 437, 17), L, sansSerif10Bold, true),
    };

    Band payer = band("ChildBand1", BandKind::Child, 112, FrameAll, "ChildBand2");
    payer.printables = {
        data("QRDBText3", "EP_CGC", box(554, 16, 185, 17), C, false),
        line("QRShape1", H, box(0, 32, 740, 9)),
        line("QRShape3", H, box(0, 68, 740, 9)),
        data("QRDBText6", "EP_TELEFO", box(598, 88, 137, 17), C, false),
        data("QRDBText5", "EP_ESTADO", box(428, 88, 78, 17), L, true),
        data("QRDBText4", "EP_CIDADE", box(8, 88, 73, 17), L, true),
        data("QRDBText2", "EP_ENDERE", box(8, 52, 76, 17), L, true),
        data("QRDBText1", "EP_NOME", box(8, 16, 63, 17), L, true),
        line("QRShape5", V, box(551, 0, 3, 37)),
        line("QRShape7", V, box(411, 72, 12, 37)),
        line("QRShape10", V, box(587, 72, 12, 37)),
        label("QRLabel11", QStringLiteral("Endereço"), box(4, 37, 47, 15), L, arial8, true),
        label("QRLabel12", QStringLiteral("CNPJ/CPF"), box(556, 1, 48, 15), L, arial8, true),
        label("QRLabel13", QStringLiteral("Cidade"), box(4, 73, 34, 15), L, arial8, true),
        label("QRLabel14", QStringLiteral("Nome Empresarial/Nome"), box(4, 1, 117, 15), L, arial8,
              true),
        label("QRLabel15", QStringLiteral("UF"), box(420, 73, 14, 15), L, arial8, true),
        label("QRLabel16", QStringLiteral("Telefone"), box(596, 73, 43, 15), L, arial8, true),
    };

    Band beneficiaryTitle = band("ChildBand2", BandKind::Child, 40, FrameNone, "ChildBand3");
    beneficiaryTitle.printables = {
        label("QRLabel7", QStringLiteral("2. PESSOA FÍSICA BENEFICIÁRIA DOS RENDIMENTOS"),
              box(4, 20, 388, 17), L, sansSerif10Bold, true),
    };

    Band beneficiary = band("ChildBand3", BandKind::Child, 80, FrameAll);
    beneficiary.printables = {
        data("QRDBText7", "FU_CPF", box(16, 20, 51, 17), L, true),
        data("QRDBText8", "FU_NOME", box(252, 20, 63, 17), L, true),
        line("QRShape4", H, box(0, 36, 740, 9)),
        label("QRLabel8", QStringLiteral("Rendimentos do trabalho assalariado"),
              box(24, 56, 238, 17), L, arial10Bold, true),
        line("QRShape8", V, box(223, 0, 3, 41)),
        label("QRLabel17", QStringLiteral("CPF"), box(4, 1, 20, 15), L, arial8, true),
        label("QRLabel18", QStringLiteral("Nome Completo"), box(228, 1, 75, 15), L, arial8, true),
        label("QRLabel19", QStringLiteral("Natureza do Rendimento"), box(4, 41, 119, 15), L, arial8,
              true),
    };

    Band statement = band("QRGroup1", BandKind::GroupHeader, 5, FrameNone);
    statement.groupExpression = QStringLiteral("Fun.EP_CODIGO + Fun.FU_CODIGO");
    statement.newPageBefore = true;

    Band section = band("QRGroup2", BandKind::GroupHeader, 40, FrameBottom);
    section.groupExpression = QStringLiteral("COPY(Fun.IN_CODIGO,1 ,1 )");
    section.printables = {
        label("QRLabel10", QStringLiteral("X. XXXXXXXXXXXXXXXXXXXXXXXXXXXXX"), box(4, 20, 280, 17),
              L, sansSerif10Bold, true),
    };

    Band detail = band("DetailBand1", BandKind::Detail, 39, FrameBottom | FrameLeft | FrameRight);
    {
        Printable name = data("QRDBText11", "IN_NOME", box(60, 12, 59, 17), L, true);
        name.transparent = true;
        detail.printables = {
            data("QRDBText9", "IR_TOTAL", box(664, 12, 64, 17), R, true),
            data("QRDBText10", "IN_CODIGO", box(28, 12, 73, 17), L, true),
            name,
            line("QRShape9", V, box(555, 0, 9, 41)),
        };
    }

    Band footer = band("PageFooterBand1", BandKind::PageFooter, 40, FrameNone, "ChildBand4");
    footer.printables = {
        label("QRLabel9", QStringLiteral("7. RESPONSÁVEL PELAS INFORMAÇÕES"), box(4, 20, 294, 17),
              L, sansSerif10Bold, true),
    };

    Band responsible = band("ChildBand4", BandKind::Child, 41, FrameAll);
    {
        // The responsible person's name has no length limit: a long one keeps to the left of
        // the divider at x 311.5, with a gap of 3.5 units, rather than run under the date.
        Printable name = label("QRLabel20", QStringLiteral("QRLabel20"), box(16, 11, 70, 17), L,
                               arial10Bold, true);
        name.fitWidth = designUnits(308 - 16);
        name.fitMinimumPointSize = 7;
        Printable date;
        date.name = QStringLiteral("QRSysData1");
        date.kind = PrintableKind::SystemDate;
        date.box = box(351, 12, 38, 17);
        date.font = arial10Bold;
        date.autoSize = true;
        responsible.printables = {
            name,
            line("QRShape6", V, box(307, -1, 9, 41)),
            line("QRShape11", V, box(463, -1, 9, 41)),
            date,
            label("QRLabel21", QStringLiteral("Data"), box(315, 0, 23, 17), L, arial8, true),
            label("QRLabel22", QStringLiteral("Assinatura"), box(471, 0, 54, 17), L, arial8, true),
        };
    }

    t.bands = {pageHeader, columnHeader, payer,  beneficiaryTitle, beneficiary,
               statement,  section,      detail, footer,           responsible};
    return t;
}

} // namespace report
