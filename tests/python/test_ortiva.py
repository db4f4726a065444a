"""The Python package over the library's C interface (ORTIVA_LIBRARY names the library)."""

import gc
import os
import sqlite3
import subprocess
import sys

import pytest

import ortiva
from ortiva import ByRef, Missing, _capi

HINT = "\rHINT: Check whether Properties assigned"


@pytest.fixture(autouse=True)
def nothing_leaks():
    """Every object handed out is released again, host objects included."""
    gc.collect()
    before = ortiva.live_objects()
    yield
    gc.collect()
    assert ortiva.live_objects() == before
    assert not ortiva._hosts


@pytest.fixture
def shop(tmp_path):
    """A ClsCommonDb connected to a new SQLite file holding a few items."""
    path = tmp_path / "shop.db"
    with sqlite3.connect(path) as conn:
        conn.execute("CREATE TABLE Items (Code INTEGER PRIMARY KEY, Name VARCHAR(40), "
                     "Rate DOUBLE)")
    with ortiva.create("Ortiva.ClsCommonDb") as db:
        db.SetPropertyValues(f"Data Source={path}", "", "", "Items")
        for name, rate in [("Hammer", 12.5), ("Brush", 3.75), ("Rake", 15.0)]:
            assert db.fnInsertRecord([db.fnGetNextMaxNo("Code"), name, rate]) is True
        yield db


# Enciphered forms the C++ cipher gives (tests/cipher/known_answers_test.cpp): the texts
# cross the interface as counted UTF-8, NUL and characters beyond the BMP included.
@pytest.mark.parametrize("text, key, enciphered", [
    ("", "k", ""),
    ("\x00\x01\x7f\x81\x8d\x8f\x90\x9d\xa0ÿ", "K", "oq\\Y„pVm{^\x7f}nh"),
    ("secret", "a\x00b", "V[h‡uRzg"),
    ("secret", "😀", "Ql…JucfM"),
])
def test_cipher_gives_the_cpp_results(text, key, enciphered):
    with ortiva.create("Ortiva.clscryptor") as cipher:
        assert cipher.EnCrypt(text, key) == enciphered
        assert cipher.DeCrypt(enciphered, key) == text


def test_list_view_filled_from_sqlite_reads_back(shop):
    with ortiva.control("ListView", "lvwItems") as lvw:
        for title in ["S.No", "Code", "Item", "Rate"]:
            lvw.ColumnHeaders.Add(Missing, Missing, title)
        condition = ByRef(" Rate > 5 ")
        shop.PopulateListview(lvw, "Items", condition, ["SLNO", "Code", "Name", "Rate"])
        assert condition.value == "Rate > 5"
        assert shop.LastExecutedSql == "select Code,Name,Rate  From  Items where Rate > 5"
        rows = []
        for i in range(1, lvw.ListItems.Count() + 1):
            with lvw.ListItems(i) as item:
                rows.append([item.Text()] + [item.SubItems[c] for c in (1, 2, 3)])
        assert rows == [["1", "1", "Hammer", "12.5"], ["2", "3", "Rake", "15"]]


def test_values_cross_both_ways(shop):
    shop.strTableName = "Items"
    assert shop.strTableName == "Items"
    shop.fnInsertRecord([70000, "naïve\x00tail", Missing])  # Long, NUL in text, Null
    assert shop.fnReturnField("Name", "Code = 70000") == "naïve\x00tail"
    assert shop.fnReturnField("Rate", "Code = 70000") is None
    assert shop.fnReturnField("Rate", "Code = 2") == 3.75
    assert shop.fnGetNextMaxNo("Code") == 70001
    assert shop.ConState == 1
    with pytest.raises(OverflowError):
        shop.fnReturnField("Name", 2**60)
    with pytest.raises(TypeError):
        shop.fnReturnField("Name", b"Code = 1")
    shop.adocon = ortiva.Nothing  # drops the connection: the next use makes an unopened one
    assert shop.ConState == 0


def test_errors_keep_their_numbers(shop):
    with ortiva.create("Ortiva.ClsCommonDb") as db:
        with pytest.raises(ortiva.Error) as raised:
            db.fnGetNextMaxNo("Code")
        assert raised.value.number == 3709
        assert raised.value.description.endswith(HINT)
        with pytest.raises(ortiva.Error) as raised:
            db.LastExecutedSql = "x"
        assert raised.value.number == 387
        with pytest.raises(ortiva.Error) as raised:
            db.fnNoSuchMember()
        assert raised.value.number == 438
        assert not hasattr(db, "fnNoSuchMember")
    with pytest.raises(ortiva.Error) as raised:
        shop.fnReturnField("NoSuchColumn")
    assert raised.value.description and not raised.value.description.endswith(HINT)
    for make in [lambda: ortiva.create("Ortiva.NoSuchClass"),
                 lambda: ortiva.predeclared("Ortiva.clscryptor")]:
        with pytest.raises(ortiva.Error) as raised:
            make()
        assert raised.value.number == 429
    cipher = ortiva.create("Ortiva.clscryptor")
    cipher.release()
    with pytest.raises(ValueError):
        cipher.EnCrypt("a", "b")


class ComboBox:
    """A combo box written in Python, with the members PopulateComboOrList uses."""

    def __init__(self, text=""):
        self.Text = text
        self.List, self.ItemData = [], []
        self.ListIndex = self.NewIndex = -1

    @property
    def ListCount(self):
        return len(self.List)

    def Clear(self):
        self.List.clear()
        self.ItemData.clear()
        self.ListIndex = -1

    def additem(self, text, index=None):  # the library's names match case-blind
        self.List.append(text)
        self.ItemData.append(0)
        self.NewIndex = len(self.List) - 1


def test_python_combo_box_filled_by_populate_combo_or_list(shop):
    combo = ComboBox(" rake ")
    shop.PopulateComboOrList(combo, "Code", "Name")
    assert combo.List == ["Hammer", "Brush", "Rake"]
    assert combo.ItemData == [1, 2, 3]
    assert combo.ListIndex == 2
    shop.PopulateComboOrList(combo, "Code", "Name", "Rate < 5")
    assert (combo.List, combo.ListIndex) == (["Brush"], -1)
    with pytest.raises(ortiva.Error) as raised:  # an object without the members
        shop.PopulateComboOrList(object(), "Code", "Name")
    assert raised.value.number == 438


@pytest.mark.parametrize("failure, number", [
    (ValueError("refused"), 13),
    (IndexError("full"), 9),
    (ortiva.Error(3021, "no current record", "Host"), 3021),
])
def test_host_exceptions_become_errors(shop, failure, number):
    class Refusing(ComboBox):
        def AddItem(self, text, index=None):
            raise failure

    with pytest.raises(ortiva.Error) as raised:
        shop.PopulateComboOrList(Refusing(), "Code", "Name")
    assert raised.value.number == number
    assert raised.value.__cause__ is failure


def test_by_reference_arguments_are_written_back(shop):
    gen = ortiva.predeclared("Ortiva.clsCommonGen")
    assert gen == ortiva.predeclared("Ortiva.clsCommonGen")
    with ortiva.control("TextBox", "txtRate") as txt:
        txt.Text = "123"
        refused, backspace = ByRef(ord("4")), ByRef(8)
        gen.TextValidateNum(txt, refused, 5, 2)
        gen.TextValidateNum(txt, backspace, 5, 2)
        assert (refused.value, backspace.value) == (0, 8)
    del gen

    with ortiva.control("MSFlexGrid", "grdItems") as grid:
        grid.Rows, grid.Cols = 3, 2
        for row, (name, rate) in enumerate([("Item", "Rate"), ("Saw", "18"), ("Nail", "0.1")]):
            grid.TextMatrix[row, 0], grid.TextMatrix[row, 1] = rate, name
        mapping = ByRef(["N", 10, "C", 1, "C", 0])
        assert shop.fnInsertGridDetails(grid, mapping) is True
        assert mapping.value == ["N", 12, "C", 1, "C", 0]
        assert shop.fnReturnField("Name", "Code = 11") == "Nail"


def test_library_found_by_environment_then_registry(tmp_path, monkeypatch):
    library = os.environ["ORTIVA_LIBRARY"]
    stale = tmp_path / "gone.so"
    (tmp_path / "ortiva").mkdir()
    (tmp_path / "ortiva" / "classes").write_text(
        "# progid\tclsid\tlibrary\n"
        f"Ortiva.clscryptor\tF5B5D6E9-6E00-456C-99C7-18943C261506\t{stale}\n"
        f"Ortiva.clscryptor\tF5B5D6E9-6E00-456C-99C7-18943C261506\t{library}\n")
    monkeypatch.setenv("XDG_DATA_HOME", str(tmp_path))
    assert _capi.registered_library("{f5b5d6e9-6e00-456c-99c7-18943c261506}") == library
    assert _capi.registered_library("ortiva.CLSCRYPTOR") == library
    assert _capi.registered_library(None) == library
    assert _capi.find_library("Ortiva.clscryptor") == library

    # A host that knows only the programmatic id finds the library through the registry.
    monkeypatch.delenv("ORTIVA_LIBRARY")
    script = "import ortiva; print(ortiva.create('Ortiva.clscryptor').EnCrypt('Hello', 'key'))"
    found = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert (found.returncode, found.stdout) == (0, "iO_~\x81l„\n"), found.stderr
