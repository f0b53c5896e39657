// The additional-data field table.
#include "structure/additional_fields.h"

#include "core/text.h"

namespace pelgo::structure {

const std::array<AdditionalField, kAdditionalFieldCount>& AdditionalFields() {
    static const std::array<AdditionalField, kAdditionalFieldCount> fields{{
        {"aModel", 100, "Модель", 1010, "Модель", true},
        {"aZavNum", 101, "Заводской №", 1011, "ЗавНомер", true},
        {"aPlomba", 104, "Пломба №", 1012, "Пломба", true},
        {"aInumber", 103, "Инв. №", 1013, "Инвентарный", true},
        {"aZadachi", 102, "Выполн.задачи", 1014, "ВыпЗадачи", false},
        {"aD1", 105, "Дата прихода", 1015, "ДПрихода", true},
        {"aPrice", 106, "Стоимость", 1016, "Стоимость", true},
        {"aShop", 107, "Поставщик", 1017, "Поставщик", true},
        {"aNaklad", 108, "Накладная №", 1018, "Накладная", true},
        {"aDend", 109, "Гарантия до", 1019, "ДГарантии", true},
        {"aRoom", 110, "№ помещения", 1020, "Помещение", false},
        {"aRabM", 111, "№ раб.места", 1021, "РабМесто", false},
        {"aDolgn", 112, "Должность", 1022, "Должность", false},
        {"aPhone", 113, "Телефон", 1023, "Телефон", false},
        {"aFIO", 114, "ФИО мат.отв.", 1024, "МатОтв", false},
    }};
    return fields;
}

AdditionalValues MainValues(const std::vector<NodeRecord>& records) {
    AdditionalValues values;
    for (const NodeRecord& record : records) {
        if (core::Trim(record.group) != kMainGroup) {
            continue;
        }
        for (std::size_t field = 0; field < kAdditionalFieldCount; ++field) {
            if (record.name == AdditionalFields()[field].storedName) {
                values[field] = record.text;
            }
        }
    }
    return values;
}

bool FieldEnabledFor(std::size_t field, int icon) {
    return !AdditionalFields()[field].equipmentOnly || icon > 2;
}

} // namespace pelgo::structure
