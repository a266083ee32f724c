// The DAO-shaped layer on our Jet engine: engine, workspace and database.
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "base/text.h"
#include "dao/dao.h"
#include "dao/errors.h"
#include "dao/open_file.h"
#include "dao/recordset.h"
#include "dao/tabledefs.h"
#include "jet/query_exec.h"
#include "jet/query_parser.h"

namespace dao_jet {
namespace {

bool IsSelectText(const std::string& source) {
  size_t start = source.find_first_not_of(" \t\r\n(");
  return start != std::string::npos &&
         base::EqualsIgnoreCase(source.substr(start, 6), "SELECT");
}

class DatabaseImpl : public dao::Database {
 public:
  explicit DatabaseImpl(std::shared_ptr<OpenFile> file)
      : file_(std::move(file)), tabledefs_(MakeTableDefs(file_)) {}

  std::shared_ptr<dao::Recordset> OpenRecordset(
      const std::string& source) override {
    CheckOpen();
    auto cursor = std::make_shared<Cursor>();
    WithSource(kSourceDatabase, [&] {
      cursor->file = file_;
      if (IsSelectText(source)) {
        QueryCache::Prepared query = file_->queries().Prepare(source);
        const std::string& table = query.shape->query.table;
        cursor->rows = file_->Rows(table);
        jet::BoundQuery bound =
            QueryCache::Bind(query, cursor->rows->shared_def());
        cursor->columns = std::move(bound.columns);
        if (!query.shape->fields) {
          query.shape->fields = std::make_shared<FieldNames>();
        }
        cursor->names = query.shape->fields;
        cursor->fixed = std::make_shared<const std::vector<jet::RowId>>(
            jet::Execute(bound, *cursor->rows));
        cursor->table = *file_->TableName(table);
      } else {
        cursor->rows = file_->Rows(source);
        cursor->columns.resize(cursor->rows->def().columns.size());
        std::iota(cursor->columns.begin(), cursor->columns.end(), size_t{0});
        cursor->fixed = cursor->rows->Ids();
        cursor->table = *file_->TableName(source);
      }
    });
    std::erase_if(cursors_,
                  [](const std::weak_ptr<Cursor>& c) { return c.expired(); });
    cursors_.push_back(cursor);
    return MakeRecordset(std::move(cursor));
  }

  dao::TableDefs& GetTableDefs() override {
    CheckOpen();
    return *tabledefs_;
  }

  std::shared_ptr<dao::TableDef> CreateTableDef(
      const std::string& name) override {
    CheckOpen();
    return MakeNewTableDef(name);
  }

  void Close() override {
    CheckOpen();
    closed_ = true;
    for (const std::weak_ptr<Cursor>& weak : cursors_) {
      if (std::shared_ptr<Cursor> cursor = weak.lock()) {
        cursor->closed = true;
        cursor->mode = Cursor::Mode::kNone;
      }
    }
    cursors_.clear();
  }

 private:
  void CheckOpen() const {
    if (closed_) ThrowObjectInvalid(kSourceDatabase);
  }

  std::shared_ptr<OpenFile> file_;
  std::unique_ptr<dao::TableDefs> tabledefs_;
  std::vector<std::weak_ptr<Cursor>> cursors_;
  bool closed_ = false;
};

class WorkspaceImpl : public dao::Workspace {
 public:
  OpenFiles& files() { return files_; }

  std::shared_ptr<dao::Database> OpenDatabase(
      const std::string& path) override {
    return WithSource(kSourceWorkspace, [&] {
      return std::make_shared<DatabaseImpl>(files_.Open(path));
    });
  }

  std::shared_ptr<dao::Database> OpenDatabase(
      const std::string& path, const base::FileIdentity& seen) override {
    return WithSource(kSourceWorkspace, [&] {
      return std::make_shared<DatabaseImpl>(files_.Open(path, seen));
    });
  }

 private:
  OpenFiles files_;
};

class DBEngineImpl : public dao::DBEngine {
 public:
  dao::Workspace& Workspaces(int index) override {
    if (index != 0) ThrowItemNotFound(kSourceDBEngine);
    return workspace_;
  }

  void CommitChanges(const std::string& path) override {
    workspace_.files().Commit(path);
  }

  void DropChanges(const std::string& path) override {
    workspace_.files().Drop(path);
  }

 private:
  WorkspaceImpl workspace_;
};

}  // namespace
}  // namespace dao_jet

namespace dao {

std::unique_ptr<DBEngine> CreateDBEngine() {
  return std::make_unique<dao_jet::DBEngineImpl>();
}

}  // namespace dao
