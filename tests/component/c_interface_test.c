/* Drives the library through ortiva.h alone, as a C host would. */
#include <stdio.h>
#include <string.h>

#include "ortiva/ortiva.h"

static int failures;

#define CHECK(cond)                                                            \
    do {                                                                       \
        if (!(cond)) {                                                         \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                        \
        }                                                                      \
    } while (0)

static ortiva_variant text(const char* s) {
    ortiva_variant v = {0};
    ortiva_variant_set_string(&v, s, strlen(s));
    return v;
}

static ortiva_variant integer(int16_t i) {
    ortiva_variant v = {0};
    v.kind = ORTIVA_INTEGER;
    v.value.integer = i;
    return v;
}

static ortiva_variant object(ortiva_object* o) {
    ortiva_variant v = {0};
    ortiva_variant_set_object(&v, o);
    return v;
}

static ortiva_variant missing(void) {
    ortiva_variant v = {0};
    v.kind = ORTIVA_ERROR;
    v.value.error_code = (int32_t)0x80020004u;
    return v;
}

static ortiva_variant texts(const char* a, const char* b) {
    ortiva_variant v = {0};
    ortiva_variant_set_array(&v, 2);
    v.value.array.items[0] = text(a);
    v.value.array.items[1] = text(b);
    return v;
}

static int is_text(const ortiva_variant* v, const char* s) {
    return v->kind == ORTIVA_STRING && v->value.string.length == strlen(s) &&
           memcmp(v->value.string.data, s, strlen(s)) == 0;
}

static long number(const ortiva_variant* v) {
    switch (v->kind) {
        case ORTIVA_INTEGER:
            return v->value.integer;
        case ORTIVA_LONG:
            return v->value.long_value;
        default:
            return -99999;
    }
}

static void clear_all(ortiva_variant* args, size_t count) {
    size_t i;
    for (i = 0; i < count; ++i)
        ortiva_variant_clear(&args[i]);
}

/* Invokes by name; returns the error number, 0 on success. The result is the caller's. */
static int32_t invoke(ortiva_object* o, const char* name, int32_t how, ortiva_variant* args,
                      size_t count, ortiva_variant* result) {
    ortiva_error error = {0};
    int32_t id = 0, number_of_error = 0;
    if (ortiva_id_of_name(o, name, &id, &error) == ORTIVA_OK &&
        ortiva_invoke(o, id, how, args, count, result, &error) == ORTIVA_OK)
        return 0;
    number_of_error = error.number;
    CHECK(error.description && error.description[0]);
    ortiva_error_clear(&error);
    return number_of_error;
}

/* Calls a member and frees its arguments and result. */
static int32_t run(ortiva_object* o, const char* name, ortiva_variant* args, size_t count) {
    ortiva_variant result = {0};
    int32_t status = invoke(o, name, ORTIVA_METHOD, args, count, &result);
    ortiva_variant_clear(&result);
    clear_all(args, count);
    return status;
}

static ortiva_object* member_object(ortiva_object* o, const char* name) {
    ortiva_variant result = {0};
    CHECK(invoke(o, name, ORTIVA_PROPERTY_GET, NULL, 0, &result) == 0);
    CHECK(result.kind == ORTIVA_OBJECT);
    return result.value.object; /* the reference moves to the caller */
}

static long number_of(ortiva_object* o, const char* name) {
    ortiva_variant result = {0};
    long n;
    CHECK(invoke(o, name, ORTIVA_PROPERTY_GET, NULL, 0, &result) == 0);
    n = number(&result);
    ortiva_variant_clear(&result);
    return n;
}

static void bad_calls(void) {
    ortiva_object* cryptor = NULL;
    ortiva_error error = {0};
    ortiva_variant args[2], result = {0};
    int32_t id = 0;

    CHECK(ortiva_create("Ortiva.clscryptor", &cryptor, &error) == ORTIVA_OK);
    CHECK(ortiva_id_of_name(cryptor, "ENCRYPT", &id, &error) == ORTIVA_OK && id == 0x60030006);
    CHECK(ortiva_member_flags(cryptor, id) == ORTIVA_METHOD);

    args[0] = text("Hello");
    args[1] = text("k");
    CHECK(invoke(cryptor, "Encipher", ORTIVA_METHOD, args, 2, &result) == 438);
    CHECK(ortiva_invoke(cryptor, 0x12345, ORTIVA_METHOD, args, 2, &result, &error) ==
              ORTIVA_FAILED &&
          error.number == 438);
    ortiva_error_clear(&error);
    CHECK(invoke(cryptor, "EnCrypt", ORTIVA_METHOD, args, 1, &result) == 450);
    clear_all(args, 2);
    args[0] = texts("a", "b");
    args[1] = text("k");
    CHECK(ortiva_invoke(cryptor, 0x60030006, ORTIVA_METHOD, args, 2, &result, &error) ==
          ORTIVA_FAILED);
    CHECK(error.number == 13 && strcmp(error.source, "Ortiva.clscryptor") == 0);
    CHECK(strstr(error.description, "eText") != NULL);
    ortiva_error_clear(&error);
    clear_all(args, 2);
    args[0] = missing();
    args[1] = text("k");
    CHECK(invoke(cryptor, "EnCrypt", ORTIVA_METHOD, args, 2, &result) == 449);
    clear_all(args, 2);
    CHECK(result.kind == ORTIVA_EMPTY);
    ortiva_release(cryptor);
}

static ortiva_object* list_view(const char* first, const char* second) {
    ortiva_object *lvw = NULL, *headers;
    ortiva_error error = {0};
    ortiva_variant args[3];
    CHECK(ortiva_create_control("ListView", "lvw", &lvw, &error) == ORTIVA_OK);
    headers = member_object(lvw, "ColumnHeaders");
    args[0] = missing();
    args[1] = missing();
    args[2] = text(first);
    CHECK(run(headers, "Add", args, 3) == 0);
    args[0] = missing();
    args[1] = missing();
    args[2] = text(second);
    CHECK(run(headers, "Add", args, 3) == 0);
    ortiva_release(headers);
    return lvw;
}

static void database_through_host_objects(void) {
    ortiva_object *db = NULL, *cbo = NULL, *lvw;
    ortiva_error error = {0};
    ortiva_variant args[4], result = {0};

    CHECK(ortiva_create("Ortiva.ClsCommonDb", &db, &error) == ORTIVA_OK);
    /* strDefaultTable left off: the table is set as a property afterwards */
    args[0] = text("Data Source=:memory:");
    args[1] = text("");
    args[2] = text("");
    CHECK(run(db, "SetPropertyValues", args, 3) == 0);
    args[0] = text("Items");
    CHECK(invoke(db, "strTableName", ORTIVA_PROPERTY_LET, args, 1, NULL) == 0);
    clear_all(args, 1);
    args[0] = text("CREATE TABLE Items (Code INTEGER, Name VARCHAR(40))");
    CHECK(run(db, "fnReturnRecords", args, 1) == 0);
    args[0] = text("INSERT INTO Items VALUES (1, 'Nut'), (2, 'Bolt'), (3, 'Washer')");
    CHECK(run(db, "fnReturnRecords", args, 1) == 0);

    /* The optional condition passed as the missing marker, then given */
    CHECK(ortiva_create_control("ComboBox", "cbo", &cbo, &error) == ORTIVA_OK);
    args[0] = object(cbo);
    args[1] = text("Code");
    args[2] = text("Name");
    args[3] = missing();
    CHECK(run(db, "PopulateComboOrList", args, 4) == 0);
    CHECK(number_of(cbo, "ListCount") == 3);
    args[0] = object(cbo);
    args[1] = text("Code");
    args[2] = text("Name");
    args[3] = text("Code = 2");
    CHECK(run(db, "PopulateComboOrList", args, 4) == 0);
    CHECK(number_of(cbo, "ListCount") == 1);
    /* a control argument that is not an object */
    args[0] = text("cbo");
    args[1] = text("Code");
    args[2] = text("Name");
    CHECK(run(db, "PopulateComboOrList", args, 3) == 13);
    ortiva_release(cbo);

    /* intIndex: 0 asks for the next row and comes back as that row's number, an Integer */
    lvw = list_view("Code", "Name");
    args[0] = object(lvw);
    args[1] = integer(0);
    args[2] = texts("7", "Pin");
    CHECK(invoke(db, "fnInsertListview", ORTIVA_METHOD, args, 3, &result) == 0);
    CHECK(args[1].kind == ORTIVA_INTEGER && args[1].value.integer == 1);
    CHECK(result.kind == ORTIVA_BOOLEAN && result.value.boolean == -1);
    clear_all(args, 3);
    ortiva_variant_clear(&result);
    ortiva_release(lvw);

    CHECK(invoke(db, "LastExecutedSql", ORTIVA_PROPERTY_GET, NULL, 0, &result) == 0);
    CHECK(is_text(&result, "select Code, Name from Items where Code = 2"));
    ortiva_variant_clear(&result);
    args[0] = text("x");
    CHECK(invoke(db, "LastExecutedSql", ORTIVA_PROPERTY_LET, args, 1, NULL) == 387);
    CHECK(invoke(db, "dtSystemDate", ORTIVA_PROPERTY_LET, args, 1, NULL) == 450);
    clear_all(args, 1);
    ortiva_release(db);
}

/* Run under AddressSanitizer, a leak here fails the test at exit. */
static void many_objects_and_variants(void) {
    int i;
    for (i = 0; i < 10000; ++i) {
        ortiva_object *o = NULL, *c = NULL;
        ortiva_error error = {0};
        ortiva_variant v = {0}, args[2];
        CHECK(ortiva_create("Ortiva.clscryptor", &o, &error) == ORTIVA_OK);
        CHECK(ortiva_create_control("ListBox", NULL, &c, &error) == ORTIVA_OK);
        ortiva_variant_set_array(&v, 3);
        v.value.array.items[0] = text("x");
        ortiva_variant_set_object(&v.value.array.items[1], c);
        v.value.array.items[2] = texts("a", "b");
        args[0] = v;
        args[1] = object(o);
        CHECK(ortiva_invoke(o, 0x60030006, ORTIVA_METHOD, args, 2, NULL, &error) == ORTIVA_FAILED);
        ortiva_error_clear(&error);
        clear_all(args, 2);
        ortiva_release(c);
        ortiva_release(o);
    }
}

int main(void) {
    bad_calls();
    database_through_host_objects();
    many_objects_and_variants();
    CHECK(ortiva_live_objects() == 0);
    if (failures) fprintf(stderr, "%d checks failed\n", failures);
    return failures ? 1 : 0;
}
