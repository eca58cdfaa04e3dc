-- Layout of sms.abs. The program never runs this text: parlivo-base and the tests create
-- the file from it, and the data module checks at opening that these tables and indexes
-- are present.
--
-- Index names are global to an SQLite file, so each is named <Table>_<Index>; the data
-- module selects "ID" and "OnlyOne" by the part after the underscore.
-- Date-times are text "yyyy-MM-dd hh:mm:ss.zzz" in local time, which sorts and compares
-- in date order.

-- Message categories.
CREATE TABLE Categorie (
    id_categorie INTEGER NOT NULL,
    interne INTEGER NOT NULL DEFAULT 0,
    nom TEXT
);
-- Identifiers come from a scan of this column inside BEGIN IMMEDIATE; the unique index
-- turns any identifier written twice by another tool into an error instead of a twin row.
CREATE UNIQUE INDEX Categorie_ID ON Categorie (id_categorie);

-- Sending services. The column order matters: new rows are inserted by position.
CREATE TABLE ConfigurationApi (
    id INTEGER NOT NULL,
    nom TEXT,
    url TEXT,
    cle TEXT,
    cle_api TEXT,
    numero TEXT,
    message TEXT,
    expediteur TEXT,
    date_envoi TEXT,
    format_date TEXT,
    statut_ok TEXT
);
CREATE UNIQUE INDEX ConfigurationApi_ID ON ConfigurationApi (id);
CREATE INDEX ConfigurationApi_NOM ON ConfigurationApi (nom);

-- Message templates.
CREATE TABLE Template (
    id_template INTEGER NOT NULL,
    agence TEXT,
    utilisateur TEXT,
    id_categorie INTEGER NOT NULL DEFAULT 0,
    nom TEXT,
    texte TEXT
);
CREATE UNIQUE INDEX Template_ID ON Template (id_template);

-- One row per confirmed send attempt. etat NULL means no outcome was recorded.
CREATE TABLE Historique (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    agence TEXT,
    utilisateur TEXT,
    date_creation TEXT,
    expediteur TEXT,
    destinataire TEXT,
    numero TEXT,
    message TEXT,
    date_envoi TEXT,
    etat TEXT
);
CREATE INDEX Historique_ID ON Historique (id);
-- The history window always filters on agency and user, then often on creation dates.
CREATE INDEX Historique_Recherche ON Historique (agence, utilisateur, date_creation);

-- Typed settings. Empty agence or utilisateur is an ordinary value (every agency, every
-- user). OnlyOne is deliberately not unique: twin identities must remain storable.
CREATE TABLE Parametres (
    agence TEXT NOT NULL DEFAULT '',
    utilisateur TEXT NOT NULL DEFAULT '',
    section TEXT NOT NULL DEFAULT '',
    cle TEXT NOT NULL DEFAULT '',
    valeur_type TEXT,
    valeur_string TEXT,
    valeur_short_int INTEGER,
    valeur_small_int INTEGER,
    valeur_int INTEGER,
    valeur_large_int INTEGER,
    valeur_float REAL,
    valeur_currency NUMERIC,
    valeur_date TEXT,
    valeur_time TEXT,
    valeur_datetime TEXT,
    valeur_blob BLOB,
    valeur_graphic BLOB,
    valeur_memo TEXT
);
CREATE INDEX Parametres_OnlyOne ON Parametres (agence, utilisateur, section, cle);
