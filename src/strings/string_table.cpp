#include "strings/string_table.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace kt::strings {
namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by identifier; LoadString searches it by halves.
constexpr Entry kEntries[] = {
    {1000, "Impossible de créer le GUID. Mise à jour terminée."},
    {1001, "{%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}"},
    {1002, "Mise à jour de "},
    {1003, "Résolution du nom de l'hôte..."},
    {1004, "Nom résolu."},
    {1005, "Connexion au serveur..."},
    {1006, "Connecté."},
    {1007, "Redirection..."},
    {1008, "Envoi de la requête..."},
    {1009, "Requête envoyée."},
    {1010, "Réception de la réponse..."},
    {1011, "Réponse reçue."},
    {1012, "Fin de l'opération en cours..."},
    {1013, "Progression :"},
    {1014, "Veuillez spécifier le nom du serveur proxy."},
    {1015, "Veuillez spécifier le port pour le serveur proxy."},
    {1016, "Veuillez spécifier le login pour le serveur proxy."},
    {1017, "Vérification de l'état de la connexion avec Internet..."},
    {1018, "Echec du téléchargement. Aucune mise à jour n'est installée."},
    {1019, "ATTENTION ! Cette opération n'effacera que l'historique des mises à jour. Les mises à jour ne seront pas désinstallées.\r\nCette option vous permet de réinstaller toutes les mises à jour. Voulez-vous continuer ?"},
    {1020, "L'historique est vide."},
    {1021, "Voulez-vous activer les mises à jour automatiques de %1 lors de la télétransmission des FSE? Pour les désactiver ou modifier la configuration par défaut, veuillez cliquer sur Options."},
    {1022, "Un des fichiers de la mise à jour est introuvable ou abîmé. Impossible de continuer.\nNom du fichier : %1"},
    {1023, "Un autre poste a activé la mise à jour par téléchargement avec partage des fichiers sur tout le réseau, par défaut ce poste utilisera les fichiers partagés sans se connecter.\r\n\r\nVous pouvez modifier cette option en accédant au menu Utilitaires -> Mise à jour."},
    {1024, "La mise à jour Talvo doit être effectuée sur tous les postes en réseau. Voulez-vous télécharger cette mise à jour maintenant ?"},
    {1025, "Annulation du téléchargement. La mise à jour n'a pas été installée.\nImpossible de lancer %1.\n\nVersion actuelle de %1 : %2\nVersion minimum à installer: %3"},
    {1027, "Impossible d'installer la mise à jour. Le programme d'installation n'a pas été lancé."},
    {1028, "Vous avez installé sur un autre poste une version plus récente de %1.\nVous devez également installer cette version sur ce poste pour pouvoir utiliser %1.\n\nVersion actuelle de %1 : %2\nVersion minimum à installer : %3\n\nVoulez-vous rechercher les mises à jour disponibles sur le réseau local et les installer ?"},
    {1029, "Echec du téléchargement. Les mises à jour critiques ne seront pas installées. Impossible de continuer."},
    {1030, "Pas de mise à jour sur le réseau local.\r\n\r\nVoulez-vous poursuivre la recherche en vous connectant au site Internet de téléchargement ?"},
    {1031, "Impossible de créer le répertoire de sauvegarde des mises à jour !"},
    {1037, "ATTENTION ! Vous allez désinstaller une mise à jour du pack Sesam Vitale\nmais vous partagez les tables de la CCAM avec les autres postes sur votre réseau.\nAprès cette opération, ce poste ne partagera plus les tables de la CCAM\net les utilisera en local puisque la version de votre pack changera.\nEtes-vous sûr de vouloir continuer ?"},
    {1042, "Nouvelle version"},
    {1043, "Lundi"},
    {1044, "Date d’installation"},
    {1045, "Date de sortie"},
    {1046, "Fichier"},
    {1051, "Votre lecteur de cartes Sesam Vitale n'est peut-être pas sous tension, veuillez le vérifier et cliquer sur Réessayer si ce poste en est équipé, sinon appuyez sur Annuler pour poursuivre sans recherche du lecteur."},
    {1053, "Mardi"},
    {1054, "Mercredi"},
    {1055, "Jeudi"},
    {1056, "Vendredi"},
    {1057, "Samedi"},
    {1058, "Dimanche"},
    {1059, "Le site web est introuvable !"},
    {1060, "Votre mise à jour est prête.\r\n\r\nAvant de lancer son installation, Talvo doit être arrêté sur les autres postes du réseau.\r\nIl est recommandé de couper temporairement votre antivirus pendant l'installation.\r\n\r\nVoulez-vous fermer Talvo et installer la mise à jour maintenant ?"},
    {1061, "Impossible de commencer le téléchargement !"},
    {1062, "Le téléchargement n'est pas terminé.\r\n\r\nVoulez-vous annuler la mise à jour ?"},
    {1063, "Erreur pendant le téléchargement. Opération terminée."},
    {1068, "Calcul de la taille totale des mises à jour..."},
    {1069, "Traitement du fichier..."},
    {1070, "Téléchargement en cours..."},
    {1071, "Téléchargement terminé."},
    {1073, "%1 doit vérifier si de nouvelles mises à jour sont disponibles. Voulez-vous le faire maintenant ?"},
    {1074, "Le répertoire indiqué ne contient pas de mise à jour !"},
    {1075, "Sélectionner le répertoire..."},
    {1076, "Etat de connexion : "},
    {1078, "Le numéro de version du programme est\nincorrect. Mise à jour impossible."},
    {1079, "Il n'y a pas de nouvelles mises à jour à installer."},
    {1080, "Erreur dans le RAS."},
    {1081, "Recherche de nouvelles mises à jour..."},
    {1082, "Veuillez patienter quelques instants..."},
    {1083, "Téléchargement :"},
    {1084, "Le nom du praticien n'est pas lisible. Mise à jour impossible."},
    {1085, "%1 de %2"},
    {1086, "%1 sec"},
    {1087, "%1 min"},
    {1088, "%1 min %2 sec"},
    {1089, "%1 Octets"},
    {1090, "%1 Ko"},
    {1091, "%1 Mo"},
    {1092, "%1 (%2 copiés)"},
    {1093, "%1 Octets/sec"},
    {1094, "%1 Ko/sec"},
    {1095, "Temps restant : "},
    {1096, "Vitesse : "},
    {1097, "Une mise à jour est en cours sur un autre poste.\nVeuillez patienter jusqu'à ce qu'elle soit terminée pour relancer la mise à jour sur ce poste."},
    {1098, "Le chemin de l'application est incorrect.\nLa mise à jour est impossible. "},
    {1100, "Le chemin des données est incorrect.\nLa mise à jour est impossible."},
    {1105, "Problème de la lecture de la configuration.\nImpossible de continuer la mise à jour."},
    {1107, "Incompatibilité détectée. La version de Talvo minimum requise est %1. Impossible de continuer."},
    {1112, "Vous venez d'installer une nouvelle version de Talvo. Voulez-vous vérifier la disponibilté d'une mise à jour avant de poursuivre ?"},
    {1115, "Impossible de copier les tables de la CCAM.\nQuittez Talvo sur tous les autres postes et recommencez,\nou réinstallez le pack Sesam Vitale."},
    {1116, "La copie des tables de la CCAM a échoué.\nVous devez réinstaller le pack Sesam Vitale sur ce poste."},
    {1118, "Impossible de lancer %1. La mise à jour n'a pas été installée.\n\nVersion actuelle de %1 : %2\nVersion minimum à installer: %3"},
};

constexpr bool IdsStrictlyIncrease() {
    return std::adjacent_find(std::begin(kEntries), std::end(kEntries), [](const Entry& a, const Entry& b) {
               return a.id >= b.id;
           }) == std::end(kEntries);
}
static_assert(IdsStrictlyIncrease(), "string table entries must be sorted by identifier, each once");

}  // namespace

std::string LoadString(int id) {
    const auto* found = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                                         [](const Entry& entry, int wanted) { return entry.id < wanted; });
    if (found == std::end(kEntries) || found->id != id) return {};
    return std::string(found->text);
}

// One pass from left to right: a placeholder is "%" and one digit 1 to 9, as
// the framework's message formatting reads it. Inserted arguments are not
// scanned again, so an argument holding "%2" comes out as written. "%%" is
// copied unchanged and its second "%" starts no placeholder.
std::string FormatString(const std::string& text, std::initializer_list<std::string> args) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '%' && next == '%') {
            result += "%%";
            ++i;
        } else if (c == '%' && next >= '1' && next <= '9' &&
                   static_cast<std::size_t>(next - '1') < args.size()) {
            result += *(args.begin() + (next - '1'));
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace kt::strings
